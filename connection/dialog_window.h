// The window system as the connect dialog's logic sees it: one open dialog
// with its controls, addressed by control number. The Win32 dialog
// (connection/dialog_win32.cpp) and the window model of our own
// (platform/window_model/dialog_model.h) both provide it, so the logic in
// connection/connect_dialog.cpp is the same on both targets.
//
// Rectangles are in pixels; a window rectangle is in screen coordinates, a
// client rectangle starts at the client area's top-left corner.
#ifndef CBQ_CONNECTION_DIALOG_WINDOW_H
#define CBQ_CONNECTION_DIALOG_WINDOW_H

#include <stdint.h>

struct DialogPoint {
    int32_t x;
    int32_t y;
};

struct DialogRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

class DialogWindow {
public:
    // Enables or disables a control; whether it is enabled.
    virtual void enableControl(int id, bool enable) = 0;
    virtual bool controlEnabled(int id) = 0;
    // Shows (normal show) or hides a control.
    virtual void showControl(int id, bool show) = 0;
    // Moves a control to (x, y) in client coordinates with the given size
    // and repaints it.
    virtual void moveControl(int id, int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    // A control's window rectangle; false when there is no such control.
    virtual bool controlWindowRect(int id, DialogRect *rect) = 0;
    // The text of an edit control, cut to size - 1 bytes and terminated.
    virtual void controlText(int id, char *buffer, int size) = 0;
    // Lets the user type at most characters characters into an edit.
    virtual void limitText(int id, int characters) = 0;

    // The server combo box (its control number is fixed by the template).
    // addItem: the item's position in the sorted list, or a negative value
    // when the combo box refuses it. itemData: false when there is no item
    // i (the combo box's error value). currentSelection: -1 when none.
    virtual int addItem(const char *text, void *data) = 0;
    virtual bool itemData(int i, void **data) = 0;
    virtual void selectItem(int i) = 0;
    virtual int currentSelection() = 0;
    virtual void deleteItem(int i) = 0;

    // The dialog window: its window rectangle, its client rectangle, a
    // point from screen to client coordinates, and a client rectangle
    // widened to the window rectangle for the dialog's style, extended
    // style and (no) menu.
    virtual void windowRect(DialogRect *rect) = 0;
    virtual void clientRect(DialogRect *rect) = 0;
    virtual void screenToClient(DialogPoint *point) = 0;
    virtual void clientToWindowRect(DialogRect *rect) = 0;
    // Moves the dialog without resizing it / resizes it without moving it;
    // neither changes the z-order or activates it.
    virtual void moveWindow(int32_t left, int32_t top) = 0;
    virtual void resizeWindow(int32_t width, int32_t height) = 0;
    // The primary screen's size in pixels.
    virtual void screenSize(int32_t *width, int32_t *height) = 0;

    // A message box owned by the dialog with only an OK button, its text and
    // caption taken from the module's string table; returns when the user
    // has closed it.
    virtual void messageBox(int textId, int captionId) = 0;
    // Ends the modal dialog with result.
    virtual void endDialog(int result) = 0;

protected:
    ~DialogWindow() = default;
};

// The combo box's notification that its selection changed.
enum { kComboSelectionChanged = 1 };

// What running the dialog gives: 1 after OK, 0 after Cancel, and
// kDialogNotCreated when the platform could not create the dialog.
enum { kDialogNotCreated = -1 };

class ServerConnection;

// Runs the connect dialog modally with the platform's own window system:
// the dialog from the module's template 101 on Windows
// (connection/dialog_win32.cpp); on Linux the window model, playing the
// script of the environment variable CBQ_DIALOG_SCRIPT when it is set, else
// driven from the terminal when standard input is one, else closed at once
// as cancelled (platform/window_model/dialog_platform_posix.cpp). Returns
// 1, 0 or kDialogNotCreated.
int runPlatformDialog(ServerConnection *connection);

#endif  // CBQ_CONNECTION_DIALOG_WINDOW_H
