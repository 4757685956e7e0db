// The icon selection dialog: lists every image of an icon file with its size and colours, shows
// the chosen one in a preview the user can drag to pan, and answers the index to open. Opening
// an icon file of several images asks it through the document's icon-entry hook.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QDialog;
class QTreeWidget;
class QWidget;
struct PreviewControl;
struct TLayer;

enum {
    KIconListWidth = 200, // the list's one column, pixels
    KIconPreviewX = 12,   // the preview's place and size in the dialog
    KIconPreviewY = 132,
    KIconPreviewSize = 130, // border included
    KIconPreviewId = 1040
};

struct TIconSelectDialog {
    QDialog* FHandle;               // the dialog window; owned
    int32_t FSelected;              // the chosen row: the image index
    std::string FPath;              // the icon file
    int32_t FItem;                  // the row the preview shows; -1 before the first
    PreviewControl* FPreview;       // owned
    int32_t FOffsetX, FOffsetY;     // the preview's view offset into the image, pixels
    QTreeWidget* FList;             // the rows, one column "Icon"; object name "icons"
    std::vector<TLayer*> FSurfaces; // one per row, the image of that index; owned
};

// The dialog for the icon file at path, unshown, the first row chosen. Null with the last error
// (not shown) when an image's header or pixels cannot be read or a window cannot be made; a
// file whose images cannot be counted gives an empty list.
TIconSelectDialog* IconSelectDialog_Create(QWidget* owner, const char* path);
// Destroys the window, the preview and the rows' surfaces. Returns null.
TIconSelectDialog* IconSelectDialog_Destroy(TIconSelectDialog* dialog);
// Shows row in the preview from offset (0, 0) and makes it the chosen image.
void IconSelectDialog_ChooseRow(TIconSelectDialog* dialog, int32_t row);
// Pans the preview by (stepX, stepY) image pixels where the image is larger than the preview,
// clamped so the view stays inside the image, and redraws it.
void IconSelectDialog_Redraw(TIconSelectDialog* dialog, int32_t stepX, int32_t stepY);

// Runs the dialog modal to the main window: the chosen index after "Open", -1 after "Cancel";
// -1 also when the dialog cannot be made, after the error was shown. The icon-entry handler.
int IconSelectDialog_Run(const char* path);
