// The tool bar's Qt windows: the bar, the popup palette window, the width list and the group
// menus' item drawing (a proxy style that measures and paints the items the way the tool bar
// wants them: 18 pixels high, the member's picture at the left, its name 18 pixels in).
#include "tools/tool_bar_windows.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>
#include <QWidget>

#include "tools/tool_bar.h"

namespace {

class TToolBarWindow : public QWidget {
  public:
    explicit TToolBarWindow(QWidget* parent) : QWidget(parent) {
        setObjectName(QString::number(KToolBarId));
        setAutoFillBackground(true);
        QPalette face = palette();
        face.setColor(QPalette::Window, face.color(QPalette::Button));
        setPalette(face);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        ToolBar_PaintSwatches(&painter);
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        QPoint p = event->position().toPoint();
        TToolBar_StylusDown(p.x(), p.y());
    }
};

class TPopupPaletteWindow : public QWidget {
  public:
    explicit TPopupPaletteWindow(QWidget* owner)
        : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint) {
        setObjectName("PopupPaletteForm");
        // A tap outside only closes the popup: it must not also reach the palette button, which
        // would open the popup again.
        setAttribute(Qt::WA_NoMouseReplay);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(Qt::black);
        painter.drawRect(0, 0, width() - 1, height() - 1);
    }
    void hideEvent(QHideEvent* event) override {
        QWidget::hideEvent(event);
        ToolBar_PopupHidden();
    }
};

class TWidthCombo : public QComboBox {
  public:
    explicit TWidthCombo(QWidget* parent) : QComboBox(parent) {
        setObjectName(QString::number(KWidthComboId));
        for (int i = 1; i <= KMaxPenWidth; ++i)
            addItem(QString::number(i));
        setCurrentIndex(0);
        connect(this, &QComboBox::currentIndexChanged, this, [] { ToolBar_WidthChosen(); });
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        ToolBar_WidthChosen();
    }
};

// The group menus' items, measured and drawn by the tool bar's rules; everything else as the
// application style has it.
class TGroupMenuStyle : public QProxyStyle {
  public:
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type != CT_MenuItem || !item || !widget)
            return QProxyStyle::sizeFromContents(type, option, size, widget);
        QFontMetrics metrics(widget->font());
        return QSize(metrics.horizontalAdvance(item->text) + metrics.horizontalAdvance("i") + 16,
                     18);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        TToolSlot* slot = item && element == CE_MenuItem
                              ? ToolBar_FindMenuSlot(item->text.toUtf8().constData())
                              : nullptr;
        if (!slot) return QProxyStyle::drawControl(element, option, painter, widget);
        bool selected = option->state & State_Selected;
        int image = selected || item->checked ? 2 : 0;
        if (selected) GroupMenu_CheckItem(slot->FMenu, slot->FMenuPos);
        const QPalette& colours = option->palette;
        painter->save();
        painter->fillRect(option->rect,
                          colours.color(selected ? QPalette::Highlight : QPalette::Window));
        if (image < slot->FImages.size())
            painter->drawPixmap(option->rect.left() + 1, option->rect.top() + 1,
                                slot->FImages[image]);
        painter->setPen(colours.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(option->rect.adjusted(18, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          item->text);
        painter->restore();
    }
};

} // namespace

QWidget* ToolBarWindow_Create(QWidget* parent) {
    QWidget* window = new TToolBarWindow(parent);
    window->show();
    return window;
}

QWidget* PopupPaletteWindow_Create(QWidget* owner, int32_t width, int32_t height) {
    QWidget* popup = new TPopupPaletteWindow(owner);
    popup->resize(width, height);
    return popup;
}

QComboBox* WidthCombo_Create(QWidget* parent) {
    QComboBox* combo = new TWidthCombo(parent);
    combo->hide();
    return combo;
}

QMenu* GroupMenu_Create(QWidget* parent) {
    QMenu* menu = new QMenu(parent);
    TGroupMenuStyle* style = new TGroupMenuStyle();
    style->setParent(menu);
    menu->setStyle(style);
    return menu;
}

void GroupMenu_AddItem(QMenu* menu, int32_t command, const char* text, bool checked) {
    // One exclusive group per menu: choosing the checked item keeps it checked.
    QActionGroup* group = menu->findChild<QActionGroup*>();
    if (!group) group = new QActionGroup(menu);
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setCheckable(true);
    group->addAction(action);
    action->setChecked(checked);
    action->setData(command);
    QObject::connect(action, &QAction::triggered, menu, [command] { TToolBar_OnCommand(command); });
}

void GroupMenu_CheckItem(QMenu* menu, int32_t pos) {
    if (!menu) return;
    const QList<QAction*> actions = menu->actions();
    if (pos >= 0 && pos < actions.size() && !actions[pos]->isChecked())
        actions[pos]->setChecked(true); // the group unchecks the others
}
