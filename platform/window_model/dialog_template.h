// The connect dialog's template 101 and the string table as data, for the
// window model (platform/window_model/dialog_model.h). It mirrors
// resources/cbq90.rc control by control (tests compare the two, and under
// Wine the real dialog with this table).
#ifndef CBQ_PLATFORM_WINDOW_MODEL_DIALOG_TEMPLATE_H
#define CBQ_PLATFORM_WINDOW_MODEL_DIALOG_TEMPLATE_H

#include <stdint.h>

#include "connection/dialog_window.h"

enum DialogControlKind {
    kControlFrame,          // static black frame
    kControlText,           // static text, left-aligned
    kControlCombo,          // drop-down list combo box, sorted
    kControlGroup,          // group box
    kControlEdit,           // edit with border and automatic horizontal scroll
    kControlPassword,       // the same with the password style
    kControlButton,         // push button
    kControlDefaultButton,  // default push button
};

struct DialogControlTemplate {
    int id;                  // 65535 for the unnumbered ones
    DialogControlKind kind;
    const char *text;        // UTF-8, as the resource script holds it
    int16_t x, y, width, height;  // dialog units
    bool visible;
};

struct DialogTemplate {
    const char *title;
    int16_t width, height;   // dialog units
    const char *font;
    int16_t pointSize;
    const DialogControlTemplate *controls;
    int count;
};

// Template 101, controls in template order.
extern const DialogTemplate kConnectDialogTemplate;

// The string table's text of id (1 or 2), UTF-8; the empty text otherwise.
const char *dialogString(int id);

// The dialog base units of the template's font: "MS Sans Serif" at 8 points
// on a 96-dpi screen has an average character width of 6 and a height of 13
// pixels, so 4 horizontal dialog units are 6 pixels and 8 vertical ones 13.
enum { kDialogBaseUnitX = 6, kDialogBaseUnitY = 13 };

// A control's rectangle of dialog units in pixels, as the Win32 dialog
// manager creates the control with the base units above: its position and
// its size are each converted and rounded to the nearest pixel, so the
// right edge is left + converted width.
DialogRect dialogUnitsToPixels(int16_t x, int16_t y, int16_t width, int16_t height);

#endif  // CBQ_PLATFORM_WINDOW_MODEL_DIALOG_TEMPLATE_H
