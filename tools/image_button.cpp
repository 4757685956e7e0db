// The image button's window, its painting and its press and release rules, and the process-wide
// table of 256 button slots that radio groups are found in. Presses reach the owner as a queued
// call of FOnCommand (platform/qt/timer.h); the mouse is held by Qt's implicit grab between a
// press and its release. Knows nothing of the tool bar that uses it.
#include "tools/image_button.h"

#include <new>

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QString>
#include <QWidget>

#include "core/error.h"
#include "platform/qt/timer.h"

namespace {

// Every button of the process; null slots are free. GButtonCount counts the taken ones.
ImageButton* GButtons[KImageButtonSlots];
int32_t GButtonCount = 0;

class TImageButtonWindow final : public QWidget {
  public:
    TImageButtonWindow(ImageButton* button, QWidget* parent) : QWidget(parent), FButton(button) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    ~TImageButtonWindow() override {
        // The parent may take this window down before the button is destroyed.
        if (FButton && FButton->FHandle == this) FButton->FHandle = nullptr;
    }
    TImageButtonWindow(const TImageButtonWindow&) = delete;
    TImageButtonWindow& operator=(const TImageButtonWindow&) = delete;

    void Detach() { FButton = nullptr; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    ImageButton* FButton;
};

// The one kind a style selects: the first of push, toggle and radio it holds; 0 for none.
uint32_t Kind(uint32_t style) {
    if (style & IBS_PUSH) return IBS_PUSH;
    if (style & IBS_TOGGLE) return IBS_TOGGLE;
    if (style & IBS_RADIO) return IBS_RADIO;
    return 0;
}

int32_t FindSlot(const ImageButton* button) {
    if (!button) return -1;
    for (int32_t i = 0; i < KImageButtonSlots; ++i)
        if (GButtons[i] == button) return i;
    return -1;
}

void Repaint(ImageButton* button) {
    if (button->FHandle) button->FHandle->update();
}

// Releases the first other checked button of button's group, at most one. A button outside the
// table takes no part in grouping.
void ReleaseGroup(ImageButton* button) {
    if (FindSlot(button) < 0) return;
    for (ImageButton* other : GButtons) {
        if (!other || other == button || other->FGroup != button->FGroup || other->FChecked != 1)
            continue;
        other->FChecked = 0;
        if (other->FState != IBST_DISABLED) other->FState = IBST_NORMAL;
        Repaint(other);
        return;
    }
}

// Queued like a posted message to the parent window: dropped when the parent goes first. The
// call holds its own copy of the callback, so destroying the button meanwhile is harmless.
void PostCommand(ImageButton* button) {
    if (!button->FOnCommand || !button->FHandle) return;
    TImageButtonCommand command = button->FOnCommand;
    int id = button->FId;
    PostCall([command, id]() { command(id); }, button->FHandle->parentWidget());
}

// A radio button that is not checked releases its group and becomes the checked one.
void CheckRadio(ImageButton* button) {
    if (button->FChecked) return;
    ReleaseGroup(button);
    button->FChecked = 1;
}

void Press(ImageButton* button) {
    if (button->FState == IBST_DISABLED) return;
    if (button->FSkipPress) {
        button->FSkipPress = false;
        return;
    }
    switch (Kind(button->FStyle)) {
    case IBS_PUSH:
        button->FState = IBST_PRESSED;
        button->FChecked = 1;
        break;
    case IBS_TOGGLE:
        button->FState = IBST_PRESSED;
        button->FChecked = button->FChecked ? 0 : 1;
        break;
    case IBS_RADIO:
        CheckRadio(button);
        break;
    }
    if (button->FChecked == 1) button->FState = IBST_PRESSED;
    Repaint(button);
    PostCommand(button);
}

void Release(ImageButton* button) {
    if (button->FState != IBST_PRESSED) return;
    int32_t before = button->FState;
    switch (Kind(button->FStyle)) {
    case IBS_PUSH:
        button->FState = IBST_NORMAL;
        button->FChecked = 0;
        break;
    case IBS_TOGGLE:
        button->FState = IBST_NORMAL;
        break;
    case IBS_RADIO:
        CheckRadio(button);
        break;
    }
    if (button->FChecked == 1) button->FState = IBST_PRESSED;
    if (button->FState != before) Repaint(button);
}

// The rectangle shrinks by one pixel inside a black frame; the image is still centred in the
// whole window, while the drop-down mark keeps to the bottom right of the rectangle as it
// stands. Lines end short of their end point, so the mark's rows are 4, 2 and 0 pixels long.
void TImageButtonWindow::paintEvent(QPaintEvent*) {
    if (!FButton) return;
    QPainter painter(this);
    QRect rect = this->rect();
    painter.fillRect(rect, FButton->FFaceBrush); // the window's own background
    int image = -1;
    switch (FButton->FState) {
    case IBST_NORMAL:
        if (FButton->FStyle & IBS_FRAME) {
            painter.fillRect(rect, Qt::black);
            rect.adjust(1, 1, -1, -1);
        }
        painter.fillRect(rect, FButton->FFaceBrush);
        image = 0;
        break;
    case IBST_ALTERNATE:
        image = 1;
        break;
    case IBST_PRESSED:
        painter.fillRect(rect, Qt::black);
        rect.adjust(1, 1, -1, -1);
        painter.fillRect(rect, palette().color(QPalette::Light));
        image = 2;
        break;
    case IBST_DISABLED:
        image = 3;
        break;
    }
    if (image >= 0 && image < FButton->FImages.size()) {
        const QPixmap& pixmap = FButton->FImages[image];
        QSize size = pixmap.deviceIndependentSize().toSize();
        painter.drawPixmap((width() - size.width()) / 2, (height() - size.height()) / 2, pixmap);
    }
    if (FButton->FStyle & IBS_DROPDOWN) {
        int right = rect.x() + rect.width();
        int bottom = rect.y() + rect.height();
        for (int i = 0; i < 3; ++i) {
            int from = right - 6 + i;
            int to = right - 2 - i;
            if (to > from) painter.fillRect(QRect(from, bottom - 4 + i, to - from, 1), Qt::black);
        }
    }
}

// Other buttons are taken and do nothing, as they would on a window that does not handle them.
void TImageButtonWindow::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (FButton && event->button() == Qt::LeftButton) Press(FButton);
}

void TImageButtonWindow::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (FButton && event->button() == Qt::LeftButton) Release(FButton);
}

} // namespace

ImageButton* ImageButton_Create(QWidget* parent, int32_t x, int32_t y, int32_t width,
                                int32_t height, uint32_t style, int32_t id, int32_t group) {
    if (!parent) {
        SetLastErrorCode(EC_NULL_OBJECT);
        return nullptr;
    }
    ImageButton* button = new (std::nothrow) ImageButton();
    TImageButtonWindow* window =
        button ? new (std::nothrow) TImageButtonWindow(button, parent) : nullptr;
    if (!window) {
        delete button;
        SetLastErrorCode(EC_NO_MEMORY);
        return nullptr;
    }
    window->setObjectName(QString::number(id));
    window->setGeometry(x, y, width, height);
    button->FHandle = window;
    button->FId = id;
    button->FFaceBrush = QBrush(window->palette().color(QPalette::Button));
    button->FChecked = 0;
    button->FState = IBST_NORMAL;
    button->FStyle = style;
    button->FGroup = group;
    for (ImageButton*& slot : GButtons) {
        if (slot) continue;
        slot = button;
        ++GButtonCount;
        break;
    }
    window->show();
    ClearLastErrorCode();
    return button;
}

ImageButton* ImageButton_Destroy(ImageButton* button) {
    if (!button) return nullptr;
    int32_t slot = FindSlot(button);
    if (slot >= 0) {
        GButtons[slot] = nullptr;
        --GButtonCount;
    }
    if (button->FHandle) {
        auto* window = static_cast<TImageButtonWindow*>(button->FHandle);
        window->Detach();
        delete window;
    }
    delete button;
    ClearLastErrorCode();
    return nullptr;
}

int ImageButton_LoadImages(ImageButton* button, int32_t imageWidth, const QPixmap& strip) {
    if (!button) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (strip.isNull() || imageWidth < 1 || strip.width() < imageWidth)
        return SetLastErrorCode(EC_GDI_OBJECT), -1;
    QList<QPixmap> images;
    int count = strip.width() / imageWidth;
    images.reserve(count);
    for (int i = 0; i < count; ++i)
        images.append(strip.copy(i * imageWidth, 0, imageWidth, strip.height()));
    button->FImages = images;
    Repaint(button);
    ClearLastErrorCode();
    return 0;
}

int ImageButton_SetImages2(ImageButton* button, const QList<QPixmap>& images) {
    if (!button) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    button->FImages2 = images;
    ClearLastErrorCode();
    return 0;
}

int ImageButton_SetCheck(ImageButton* button, int32_t value) {
    if (!button) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    ClearLastErrorCode();
    value = value ? 1 : 0;
    if (value == button->FChecked) return 0;
    uint32_t kind = Kind(button->FStyle);
    if (kind == IBS_RADIO && value == 1) ReleaseGroup(button);
    button->FChecked = value;
    // A released radio button shows normal, as a released toggle does; a disabled button keeps
    // its disabled look.
    if ((kind == IBS_TOGGLE || kind == IBS_RADIO) && button->FState != IBST_DISABLED)
        button->FState = value ? IBST_PRESSED : IBST_NORMAL;
    Repaint(button);
    return 0;
}

int32_t ImageButton_GetCheck(const ImageButton* button) {
    return button ? button->FChecked : 0;
}

int ImageButton_SetEnabled(ImageButton* button, bool enabled) {
    if (!button) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    ClearLastErrorCode();
    if (!enabled && button->FState != IBST_DISABLED) {
        button->FState = IBST_DISABLED;
        Repaint(button);
    } else if (enabled && button->FState == IBST_DISABLED) {
        button->FState = button->FChecked == 1 ? IBST_PRESSED : IBST_NORMAL;
        Repaint(button);
    }
    return 0;
}

int32_t ImageButton_GetSlot(const ImageButton* button) {
    return FindSlot(button);
}

int32_t ImageButton_GetCount() {
    return GButtonCount;
}
