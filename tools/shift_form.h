// TShiftForm: the shift tool's pad, a small tool window owned by the main window with nine
// 12 x 12 arrow buttons in a three-by-three grid; each press runs TShift_Shift with its amounts.
// The pad stays above its owner and never takes the keyboard from it. Its screen position is
// kept in the stored settings (ShiftForm, "X" and "Y") from one run to the next.
// Knows nothing of documents; the shift itself is tools/shift.cpp's.
#pragma once

#include <cstdint>

class QWidget;
struct ImageButton;

enum {
    KShiftFormClientSide = 40, // the client area is this square
    KShiftButtonCount = 9,
    KShiftButtonFirstId = 100, // button i has id 100 + i (its object name)
    KShiftButtonSide = 12,
    KShiftButtonPitch = 13 // button i lies at ((i mod 3) * 13 + 1, (i div 3) * 13 + 1)
};

struct TShiftForm {
    QWidget* FHandle;                         // the pad window, caption "shift"; null once gone
    ImageButton* FButtons[KShiftButtonCount]; // owned; null once the window took them down
};

// The pad, hidden, at the stored position: the default (half the primary screen's width and
// height) when a value is missing or the stored point lies on no screen. owner may be null (an
// ownerless tool window). Null with EC_NO_MEMORY or EC_WINDOW_CREATE when it cannot be made;
// nothing is left behind then.
TShiftForm* TShiftForm_Create(QWidget* owner);
// Writes the window's position to the stored settings, destroys the buttons and the window and
// frees the record. When the owner took the window down first, that already happened for the
// window and its buttons: only the record is freed. Returns null.
TShiftForm* TShiftForm_Destroy(TShiftForm* form);
void TShiftForm_Show(TShiftForm* form); // shown without being activated
void TShiftForm_Hide(TShiftForm* form);
