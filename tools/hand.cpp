// The hand: a press keeps the stylus's screen point, each move to another screen point scrolls
// the work form's view by the difference reversed (the work form clamps it to the scrollable
// range and moves the render window) and keeps the new point. Qt keeps the mouse on the window
// that took the press until the release, which is all the capture a drag needs. Uses the work
// form's stylus screen point and its scroll; touches neither the document nor the tool bar.
#include "tools/hand.h"

#include "document/work_form.h"

static THandTool* AsHand(TTool* tool) {
    return reinterpret_cast<THandTool*>(tool);
}

static int HandDown(TTool* base, TWorkForm* form, int32_t, int32_t) {
    THandTool* tool = AsHand(base);
    if (!form || !form->FRenderWindow) return 0;
    tool->FGrab = form->FStylusGlobal;
    tool->FGrabbing = 1;
    return 1;
}

static int HandMove(TTool* base, TWorkForm* form, int32_t, int32_t) {
    THandTool* tool = AsHand(base);
    if (!tool->FGrabbing || !form) return 0;
    const TPoint q = form->FStylusGlobal;
    if (q.x == tool->FGrab.x && q.y == tool->FGrab.y) return 1;
    TWorkForm_ScrollBy(form, tool->FGrab.x - q.x, tool->FGrab.y - q.y);
    tool->FGrab = q;
    return 0;
}

static int HandUp(TTool* base, TWorkForm*, int32_t, int32_t) {
    AsHand(base)->FGrabbing = 0;
    return 0;
}

// The view stays where the abandoned drag took it; later moves no longer scroll.
static void HandCancel(TTool* base, TWorkForm*) {
    AsHand(base)->FGrabbing = 0;
}

TTool* THand_Create() {
    TTool* base = TTool_Alloc(TTI_HAND, sizeof(THandTool));
    if (!base) return nullptr;
    base->FOnDown = HandDown;
    base->FOnMove = HandMove;
    base->FOnUp = HandUp;
    base->FOnCancel = HandCancel;
    return base;
}
