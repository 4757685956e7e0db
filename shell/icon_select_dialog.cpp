// The icon selection dialog: one row per image of the file ("16 x 16, 16 colors", "48 x 48,
// True Color(32 bits)"), each row with the image loaded into a surface of its own, and a
// 130 x 130 preview at (12, 132) showing the chosen row from a view offset the user drags.
// Reads the file through the icon reader; changes no document.
#include "shell/icon_select_dialog.h"

#include <cstdlib>

#include <QDialog>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>

#include "core/bmp_header.h"
#include "core/error.h"
#include "core/ico.h"
#include "core/image.h"
#include "core/layer.h"
#include "shell/main_form.h"
#include "shell/preview_control.h"

// The dialog's fixed arrangement, pixels: the title above the list, the preview below it, the
// buttons beside the preview.
enum {
    KMargin = 12,
    KTitleTop = 4,
    KTitleHeight = 20,
    KListTop = 28,
    KListHeight = 100,
    KListBoxWidth = KIconListWidth + 24, // the column and a vertical scroll bar
    KButtonX = KIconPreviewX + KIconPreviewSize + 8,
    KButtonWidth = 84,
    KButtonHeight = 28,
    KDialogWidth = KButtonX + KButtonWidth + KMargin,
    KDialogHeight = KIconPreviewY + KIconPreviewSize + KMargin
};

// The row text of an image of the given size and bits per pixel.
static QString RowText(int32_t width, int32_t height, int bits) {
    if (bits <= 8) return QString::asprintf("%d x %d, %d colors", width, height, 1 << bits);
    return QString::asprintf("%d x %d, %s Color(%d bits)", width, height,
                             bits <= 16 ? "High" : "True", bits);
}

// The image of index as a bound surface. Null with the last error.
static TLayer* LoadSurface(const char* path, int32_t index) {
    TLayer* layer = static_cast<TLayer*>(std::calloc(1, sizeof(TLayer)));
    if (!layer) return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    layer->FImage = static_cast<TImage*>(std::calloc(1, sizeof(TImage)));
    if (!layer->FImage) {
        TLayer_Destroy(layer);
        return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    }
    layer->FImage->FIconIndex = index;
    int result = ICO_Load(layer->FImage, path);
    if (result > 0) SetLastErrorCode(EC_READ_FAILED); // the index is past the file's count
    if (result != 0 || TLayer_Bind(layer, TLayer_ReferenceDC()) != 0) {
        int code = GetLastErrorCode();
        TLayer_Destroy(layer);
        return SetLastErrorCode(code ? code : EC_READ_FAILED), nullptr;
    }
    layer->FWidth = layer->FImage->FWidth;
    layer->FHeight = layer->FImage->FHeight;
    layer->FVisible = 1;
    return layer;
}

// Fills the list and the surfaces. 0, or -1 with the last error.
static int AddRows(TIconSelectDialog* dialog) {
    const char* path = dialog->FPath.c_str();
    int count = ICO_GetImageCount(path);
    if (count < 1) { // nothing to list: only Cancel is of use
        ClearLastErrorCode();
        return 0;
    }
    for (int32_t index = 0; index < count; ++index) {
        TBitmapInfoHeader header = {};
        int result = ICO_GetImageInfo(nullptr, index, path, &header);
        if (result != 0) {
            if (result > 0) SetLastErrorCode(EC_READ_FAILED);
            return -1;
        }
        TLayer* surface = LoadSurface(path, index);
        if (!surface) return -1;
        dialog->FSurfaces.push_back(surface);
        // The icon reader gives the height of the picture itself (the stored one halved).
        new QTreeWidgetItem(dialog->FList,
                            {RowText(header.biWidth, header.biHeight, header.biBitCount)});
    }
    return 0;
}

static void OnPreviewDrag(PreviewControl* control, int32_t, int32_t) {
    TIconSelectDialog* dialog = static_cast<TIconSelectDialog*>(control->FUserData);
    IconSelectDialog_Redraw(dialog, control->FStepX, control->FStepY);
}

static QPushButton* MakeButton(const QString& text, int y, QDialog* parent) {
    QPushButton* button = new QPushButton(text, parent);
    button->setGeometry(KButtonX, y, KButtonWidth, KButtonHeight);
    button->setAutoDefault(false);
    return button;
}

// The window and its controls, placed as the dialog has always had them.
static int MakeWindow(TIconSelectDialog* dialog, QWidget* owner) {
    QDialog* window = new QDialog(owner);
    dialog->FHandle = window;
    window->setWindowTitle(QStringLiteral("Icon Selection"));
    window->setFixedSize(KDialogWidth, KDialogHeight);

    QLabel* title = new QLabel(QStringLiteral("Icon Selection"), window);
    title->setObjectName(QStringLiteral("title"));
    QFont bold = title->font();
    bold.setWeight(QFont::Bold);
    title->setFont(bold);
    title->setGeometry(KMargin, KTitleTop, KDialogWidth - 2 * KMargin, KTitleHeight);

    QTreeWidget* list = new QTreeWidget(window);
    list->setObjectName(QStringLiteral("icons"));
    list->setColumnCount(1);
    list->setHeaderLabels({QStringLiteral("Icon")});
    list->setColumnWidth(0, KIconListWidth);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setGeometry(KMargin, KListTop, KListBoxWidth, KListHeight);
    dialog->FList = list;

    dialog->FPreview = PreviewControl_Create(window, KIconPreviewId);
    if (!dialog->FPreview) return -1;
    dialog->FPreview->FHandle->setGeometry(KIconPreviewX, KIconPreviewY, KIconPreviewSize,
                                           KIconPreviewSize);
    dialog->FPreview->FUserData = dialog;
    dialog->FPreview->FOnMove = OnPreviewDrag;
    dialog->FPreview->FOnUp = OnPreviewDrag;

    QPushButton* open = MakeButton(QStringLiteral("Open"), KIconPreviewY, window);
    QPushButton* cancel =
        MakeButton(QStringLiteral("Cancel"), KIconPreviewY + KButtonHeight + 6, window);
    QObject::connect(open, &QPushButton::clicked, window, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, window, &QDialog::reject);
    return 0;
}

TIconSelectDialog* IconSelectDialog_Create(QWidget* owner, const char* path) {
    if (!path) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    TIconSelectDialog* dialog = new (std::nothrow) TIconSelectDialog();
    if (!dialog) return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    dialog->FPath = path;
    dialog->FItem = -1;
    if (MakeWindow(dialog, owner) != 0 || AddRows(dialog) != 0) {
        int code = GetLastErrorCode();
        IconSelectDialog_Destroy(dialog);
        return SetLastErrorCode(code ? code : EC_WINDOW_CREATE), nullptr;
    }
    QTreeWidget* list = dialog->FList;
    QObject::connect(list, &QTreeWidget::currentItemChanged, dialog->FHandle,
                     [dialog, list](QTreeWidgetItem* item) {
                         if (item)
                             IconSelectDialog_ChooseRow(dialog, list->indexOfTopLevelItem(item));
                     });
    // Without rows there is nothing to open.
    if (list->topLevelItemCount() == 0) {
        for (QPushButton* button : dialog->FHandle->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("Open")) button->setEnabled(false);
    } else {
        list->setCurrentItem(list->topLevelItem(0));
    }
    ClearLastErrorCode();
    return dialog;
}

TIconSelectDialog* IconSelectDialog_Destroy(TIconSelectDialog* dialog) {
    if (!dialog) return nullptr;
    dialog->FPreview = PreviewControl_Destroy(dialog->FPreview);
    delete dialog->FHandle;
    for (TLayer*& surface : dialog->FSurfaces)
        surface = TLayer_Destroy(surface);
    delete dialog;
    return nullptr;
}

void IconSelectDialog_ChooseRow(TIconSelectDialog* dialog, int32_t row) {
    if (!dialog || row < 0 || row >= int32_t(dialog->FSurfaces.size()) || !dialog->FPreview) return;
    dialog->FSelected = row;
    dialog->FItem = row;
    dialog->FOffsetX = dialog->FOffsetY = 0;
    PreviewControl_Clear(dialog->FPreview, 0xFFFFFF);
    const TLayer* surface = dialog->FSurfaces[size_t(row)];
    QRect client = dialog->FPreview->FHandle->contentsRect();
    TRectXYWH view = {0, 0, surface->FWidth < client.width() ? surface->FWidth : client.width(),
                      surface->FHeight < client.height() ? surface->FHeight : client.height()};
    if (PreviewControl_SetSize(dialog->FPreview, &view) != 0) return;
    IconSelectDialog_Redraw(dialog, 0, 0);
}

// The offset on one axis after a step: inside 0 .. image - view where the view is smaller.
static int32_t PanAxis(int32_t offset, int32_t step, int32_t image, int32_t view) {
    if (view >= image) return 0;
    offset += step;
    return offset < 0 ? 0 : offset > image - view ? image - view : offset;
}

void IconSelectDialog_Redraw(TIconSelectDialog* dialog, int32_t stepX, int32_t stepY) {
    if (!dialog || dialog->FItem < 0 || dialog->FItem >= int32_t(dialog->FSurfaces.size())) return;
    TLayer* surface = dialog->FSurfaces[size_t(dialog->FItem)];
    TLayer* buffer = PreviewControl_GetBuffer(dialog->FPreview);
    if (!buffer) return;
    dialog->FOffsetX = PanAxis(dialog->FOffsetX, stepX, surface->FWidth, buffer->FWidth);
    dialog->FOffsetY = PanAxis(dialog->FOffsetY, stepY, surface->FHeight, buffer->FHeight);
    int saved = GetLastErrorCode();
    TLayer_Blt(buffer, 0, 0, buffer->FWidth, buffer->FHeight, surface, dialog->FOffsetX,
               dialog->FOffsetY, GDI_SRCCOPY);
    SetLastErrorCode(saved);
    PreviewControl_Refresh(dialog->FPreview);
}

int IconSelectDialog_Run(const char* path) {
    TMainForm* main = TMainForm_Get();
    QWidget* owner = main ? main->FHandle : nullptr;
    TIconSelectDialog* dialog = IconSelectDialog_Create(owner, path);
    if (!dialog) {
        ShowLastError();
        return -1;
    }
    // The dialog may go with its owner while it runs.
    QPointer<QDialog> window = dialog->FHandle;
    bool opened = window->exec() == QDialog::Accepted;
    int answer = opened && window ? dialog->FSelected : -1;
    if (!window) dialog->FHandle = nullptr;
    IconSelectDialog_Destroy(dialog);
    return answer;
}
