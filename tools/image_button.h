// The image button: the program's own picture button, drawn from a strip of four images and
// working as a push button, a toggle or a member of a radio group. The tool bar and the shift
// pad build their buttons from it. Every button of the process is kept in one table of 256
// slots so that a radio button can release the checked button of its group.
// Knows nothing of tools or documents; a press reaches the owner through FOnCommand.
#pragma once

#include <cstdint>
#include <functional>

#include <QBrush>
#include <QList>
#include <QPixmap>

class QWidget;

// FStyle bits. A button's kind is the first of push, toggle and radio that its style holds.
enum {
    IBS_PUSH = 0x1,      // down while the mouse is down
    IBS_TOGGLE = 0x4,    // each press flips FChecked
    IBS_RADIO = 0x8,     // a press checks it and releases the checked button of its group
    IBS_FRAME = 0x100,   // a black frame around the face in the normal state
    IBS_DROPDOWN = 0x200 // a small black triangle at the bottom right
};

// FState values; each draws the image of the same rank in FImages (1 draws image 0), centred
// and transparent where the image is. Normal fills the face (inside a black frame with
// IBS_FRAME), pressed fills the palette's Light colour inside a black frame, alternate and
// disabled show the face behind the image.
enum { IBST_NORMAL = 1, IBST_ALTERNATE = 2, IBST_PRESSED = 3, IBST_DISABLED = 4 };

enum { KImageButtonSlots = 256 }; // size of the process-wide button table

// Called from the event loop, after the press that caused it, with the button's FId.
typedef std::function<void(int id)> TImageButtonCommand;

struct ImageButton {
    QWidget* FHandle;        // the button window (object name: FId in decimal), a visible child of
                             // its parent; null once the parent has taken it down
    int32_t FId;             // control id, handed to FOnCommand on every accepted press
    QBrush FFaceBrush;       // the face: the window palette's Button colour at creation
    int32_t FChecked;        // 1 when the button is down (checked), else 0
    QList<QPixmap> FImages;  // normal, alternate, pressed, disabled (ImageButton_LoadImages)
    int32_t FState;          // IBST_*: what is drawn
    uint32_t FStyle;         // IBS_* bits
    QList<QPixmap> FImages2; // a second list kept for the owner (ImageButton_SetImages2)
    int32_t FGroup;          // radio group number
    bool FSkipPress;         // the next press is swallowed and this cleared
    // Set by the owner after creation; empty means presses send nothing. The call is queued like
    // a posted message on the parent window: it runs once the press event is done, never from
    // inside the mouse handler, and it is dropped when the parent window is destroyed first. The
    // callback may destroy the button.
    TImageButtonCommand FOnCommand;
};

// A visible child of parent at (x, y), width x height, with FChecked 0 and FState 1, entered
// in the first empty slot of the button table (when all 256 are taken it is not entered and
// takes no part in radio grouping: it neither releases nor is released). Clears the last
// error. Null with EC_NULL_OBJECT for a missing parent, EC_NO_MEMORY when it cannot be made.
ImageButton* ImageButton_Create(QWidget* parent, int32_t x, int32_t y, int32_t width,
                                int32_t height, uint32_t style, int32_t id, int32_t group);
// Removes the button from its table slot (which the next new button may take), destroys its
// window and frees the record. Clears the last error; returns null.
ImageButton* ImageButton_Destroy(ImageButton* button);

// Cuts strip into images imageWidth wide and as high as the strip, left to right, as FImages
// (normally four: normal, alternate, pressed, disabled). A strip with an alpha channel (a pixel
// map with a "None" colour) is drawn transparently where alpha is 0; an opaque strip is drawn
// as it is. Repaints. 0; -1 with EC_NULL_OBJECT for a missing button, EC_GDI_OBJECT for a null
// strip or one narrower than imageWidth (or imageWidth below 1), the old images kept.
int ImageButton_LoadImages(ImageButton* button, int32_t imageWidth, const QPixmap& strip);
// Replaces FImages2 with images. 0; -1 with EC_NULL_OBJECT.
int ImageButton_SetImages2(ImageButton* button, const QList<QPixmap>& images);

// Checks (value non-zero) or releases the button without a command. Nothing when it already
// is so. A toggle or radio button shows pressed when checked and normal when not; a radio
// button being checked first releases the checked button of its group. A disabled button keeps
// showing disabled (ImageButton_SetEnabled brings back the look of its check). 0; -1 with
// EC_NULL_OBJECT.
int ImageButton_SetCheck(ImageButton* button, int32_t value);
// FChecked; 0 for a missing button.
int32_t ImageButton_GetCheck(const ImageButton* button);

// Disabling gives FState 4: the disabled image is drawn and presses are ignored. Enabling a
// disabled button gives FState 3 when it is checked, else 1; an enabled button is left as it
// is. Repaints. 0; -1 with EC_NULL_OBJECT.
int ImageButton_SetEnabled(ImageButton* button, bool enabled);

// The button's slot in the button table; -1 when it is not entered (or null).
int32_t ImageButton_GetSlot(const ImageButton* button);
// How many slots of the button table are taken.
int32_t ImageButton_GetCount();
