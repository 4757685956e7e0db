// The program's images, drawn as XPM pixel maps in this folder and compiled in: the five
// menu-bar buttons (16 x 16) and the program icon at 16, 32 and 48 pixels. All share one
// palette, with transparent backgrounds. Needs a running QGuiApplication to make pixmaps.
#include "resources/resources.h"

#include <QIcon>
#include <QPixmap>

#include "resources/actual_size_button.xpm"
#include "resources/grid_button.xpm"
#include "resources/program_icon_16.xpm"
#include "resources/program_icon_32.xpm"
#include "resources/program_icon_48.xpm"
#include "resources/show_info_button.xpm"
#include "resources/zoom_in_button.xpm"
#include "resources/zoom_out_button.xpm"

namespace {
struct TResourceImage {
    int FId;
    const char* const* FXpm;
};

// The program icon's own entry is its 16-pixel drawing, the size a button would show.
const TResourceImage KImages[] = {
    {KResGridButton, grid_button_xpm},          {KResActualSizeButton, actual_size_button_xpm},
    {KResZoomInButton, zoom_in_button_xpm},     {KResZoomOutButton, zoom_out_button_xpm},
    {KResShowInfoButton, show_info_button_xpm}, {KResProgramIcon, program_icon_16_xpm},
};
} // namespace

QPixmap Resource_Pixmap(int id) {
    for (const TResourceImage& image : KImages)
        if (image.FId == id) return QPixmap(image.FXpm);
    return QPixmap();
}

QIcon Resource_ProgramIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap(program_icon_16_xpm));
    icon.addPixmap(QPixmap(program_icon_32_xpm));
    icon.addPixmap(QPixmap(program_icon_48_xpm));
    return icon;
}
