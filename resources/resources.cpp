// The program's images, drawn as XPM pixel maps in this folder and compiled in: the five
// menu-bar buttons (16 x 16), the program icon at 16, 32 and 48 pixels, and the four-image strips
// of the sixteen tool buttons and the palette button, and the 12-pixel strips of the shift pad's
// arrows. All share one palette, with transparent backgrounds. Needs a running QGuiApplication to
// make pixmaps.
#include "resources/resources.h"

#include <QIcon>
#include <QPixmap>

#include "resources/actual_size_button.xpm"
#include "resources/grid_button.xpm"
#include "resources/palette_button.xpm"
#include "resources/program_icon_16.xpm"
#include "resources/program_icon_32.xpm"
#include "resources/program_icon_48.xpm"
#include "resources/shift_centre.xpm"
#include "resources/shift_down.xpm"
#include "resources/shift_down_left.xpm"
#include "resources/shift_down_right.xpm"
#include "resources/shift_left.xpm"
#include "resources/shift_right.xpm"
#include "resources/shift_up.xpm"
#include "resources/shift_up_left.xpm"
#include "resources/shift_up_right.xpm"
#include "resources/show_info_button.xpm"
#include "resources/tool_copy_selection.xpm"
#include "resources/tool_cut_selection.xpm"
#include "resources/tool_dash_line.xpm"
#include "resources/tool_ellipse.xpm"
#include "resources/tool_eraser.xpm"
#include "resources/tool_fill.xpm"
#include "resources/tool_filled_ellipse.xpm"
#include "resources/tool_filled_rectangle.xpm"
#include "resources/tool_hand.xpm"
#include "resources/tool_pen.xpm"
#include "resources/tool_rectangle.xpm"
#include "resources/tool_selection.xpm"
#include "resources/tool_shift.xpm"
#include "resources/tool_solid_line.xpm"
#include "resources/tool_spoid.xpm"
#include "resources/tool_text.xpm"
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

// The strips, in tool-bar slot order, then the palette button, then the shift pad's arrows.
const TResourceImage KStrips[] = {
    {KResToolPen, tool_pen_xpm},
    {KResToolEraser, tool_eraser_xpm},
    {KResToolFill, tool_fill_xpm},
    {KResToolSolidLine, tool_solid_line_xpm},
    {KResToolSelection, tool_selection_xpm},
    {KResToolShift, tool_shift_xpm},
    {KResToolSpoid, tool_spoid_xpm},
    {KResToolText, tool_text_xpm},
    {KResToolHand, tool_hand_xpm},
    {KResToolDashLine, tool_dash_line_xpm},
    {KResToolRectangle, tool_rectangle_xpm},
    {KResToolFilledRectangle, tool_filled_rectangle_xpm},
    {KResToolEllipse, tool_ellipse_xpm},
    {KResToolFilledEllipse, tool_filled_ellipse_xpm},
    {KResToolCutSelection, tool_cut_selection_xpm},
    {KResToolCopySelection, tool_copy_selection_xpm},
    {KResPaletteButton, palette_button_xpm},
    {KResShiftDownLeft, shift_down_left_xpm},
    {KResShiftDown, shift_down_xpm},
    {KResShiftDownRight, shift_down_right_xpm},
    {KResShiftCentre, shift_centre_xpm},
    {KResShiftLeft, shift_left_xpm},
    {KResShiftRight, shift_right_xpm},
    {KResShiftUpLeft, shift_up_left_xpm},
    {KResShiftUp, shift_up_xpm},
    {KResShiftUpRight, shift_up_right_xpm},
};

template <size_t N> QPixmap FindImage(const TResourceImage (&table)[N], int id) {
    for (const TResourceImage& image : table)
        if (image.FId == id) return QPixmap(image.FXpm);
    return QPixmap();
}
} // namespace

QPixmap Resource_Pixmap(int id) {
    return FindImage(KImages, id);
}

QPixmap Resource_Strip(int id) {
    return FindImage(KStrips, id);
}

QIcon Resource_ProgramIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap(program_icon_16_xpm));
    icon.addPixmap(QPixmap(program_icon_32_xpm));
    icon.addPixmap(QPixmap(program_icon_48_xpm));
    return icon;
}
