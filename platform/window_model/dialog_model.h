// A window model of our own: the connect dialog's window system on Linux,
// where there is no Win32 dialog, and on either target what the tests drive
// in its place (on Windows they link it from cbq_dialog_model; cbq90.dll
// holds none of it). It has the controls of template 101 with their
// rectangles in pixels (dialog units converted with the template font's
// base units), their enabled and visible states and texts, the combo box's
// items (sorted, an equal text placed where the sorted combo box of Windows
// places it), and the dialog window on a 1280 x 1024 screen with a classic
// dialog frame. The connect dialog's logic runs on it through DialogWindow,
// exactly as on the real dialog.
//
// A user drives it: from a script of actions (choose a server, type into a
// field, press a button, close), or, on a terminal, through an interactive
// form (a numbered server list and prompts, the password not echoed;
// dialog_terminal.cpp). On Linux the module's dialog plays a script from the
// environment (dialog_platform_posix.cpp).
#ifndef CBQ_PLATFORM_WINDOW_MODEL_DIALOG_MODEL_H
#define CBQ_PLATFORM_WINDOW_MODEL_DIALOG_MODEL_H

#include <stddef.h>
#include <stdint.h>

#include "platform/window_model/dialog_template.h"
#include "connection/dialog_window.h"

class DialogModel;
class ServerConnection;

enum DialogActionKind {
    kActionChoose,   // choose the combo item whose text is text (exact, else
                     // without regard to case), as a user does: the
                     // selection changes and the dialog is told so
    kActionType,     // replace the text of the edit control with text
    kActionPress,    // press the button control (1 OK, 2 Cancel, 1000 Help)
    kActionClose,    // the close box (or Esc): the Cancel command
    kActionObserve,  // call observe(model, context): for tests
};

struct DialogAction {
    DialogActionKind kind;
    int control;        // kActionType, kActionPress
    const char *text;   // kActionChoose, kActionType
    void (*observe)(DialogModel &model, void *context);
    void *context;
};

// A script runs its actions in order while the dialog is open; an action
// that a user could not take (a server not listed, a field or button that is
// disabled or hidden, more characters than a field takes) is refused and the
// script goes on. When the actions
// run out with the dialog still open, it is closed (cancelled). The model
// tells note, when given, what the user would see or what was refused, one
// line at a time: "message: CAPTION: TEXT", "refused: ...".
struct DialogScript {
    const DialogAction *actions;
    size_t count;
    void (*note)(void *context, const char *line);
    void *noteContext;
};

enum { kModelControlLimit = 24, kModelScreenWidth = 1280, kModelScreenHeight = 1024 };

class DialogModel final : public DialogWindow {
public:
    DialogModel();
    ~DialogModel();
    DialogModel(const DialogModel &) = delete;
    DialogModel &operator=(const DialogModel &) = delete;

    // Builds the controls from the template; the window is placed at the
    // screen's top-left corner until the dialog centres it.
    void create(const DialogTemplate &dialogTemplate);

    // Runs the dialog: the initialisation message, then the script's
    // actions (or the terminal form when script is null and interactive is
    // true). Returns 1 (OK), 0 (Cancel) or kDialogNotCreated when memory ran
    // out for the model's own texts or items.
    int run(ServerConnection *connection, const DialogScript *script, bool interactive);

    // Where the model's notes go (run sets the script's); null: nowhere.
    void setNoteSink(void (*note)(void *context, const char *line), void *context) {
        note_ = note;
        noteContext_ = context;
    }

    // A user's actions; false when refused (see DialogScript).
    bool choose(const char *text);
    bool type(int id, const char *text);
    bool press(int id);
    void close();

    // What the model shows, for tests and tools.
    struct Control {
        int id;
        DialogControlKind kind;
        const char *label;
        DialogRect rect;  // client coordinates
        bool enabled;
        bool visible;
        char *text;       // an edit's text, null while empty (owned)
        int limit;        // the most characters a user may type; 0: no limit
    };
    const Control *control(int id) const;
    int itemCount() const { return itemCount_; }
    const char *itemText(int i) const;
    bool ended() const { return ended_; }
    int result() const { return result_; }
    DialogRect window() const { return window_; }
    // A one-line summary: the window's top-left corner, the client size,
    // the items (the selected one starred), the disabled and the hidden
    // controls in template order (the unnumbered ones and the always hidden
    // frame left out), and the three buttons' places and sizes; for golden
    // tests.
    void describe(char *buffer, size_t size) const;

    // DialogWindow
    void enableControl(int id, bool enable) override;
    bool controlEnabled(int id) override;
    void showControl(int id, bool show) override;
    void moveControl(int id, int32_t x, int32_t y, int32_t width, int32_t height) override;
    bool controlWindowRect(int id, DialogRect *rect) override;
    void controlText(int id, char *buffer, int size) override;
    void limitText(int id, int characters) override;
    int addItem(const char *text, void *data) override;
    bool itemData(int i, void **data) override;
    void selectItem(int i) override;
    int currentSelection() override { return selection_; }
    void deleteItem(int i) override;
    void windowRect(DialogRect *rect) override { *rect = window_; }
    void clientRect(DialogRect *rect) override;
    void screenToClient(DialogPoint *point) override;
    void clientToWindowRect(DialogRect *rect) override;
    void moveWindow(int32_t left, int32_t top) override;
    void resizeWindow(int32_t width, int32_t height) override;
    void screenSize(int32_t *width, int32_t *height) override;
    void messageBox(int textId, int captionId) override;
    void endDialog(int result) override;

private:
    struct Item {
        char *text;
        void *data;
    };
    Control *find(int id);
    int sortedPlace(const char *text) const;
    void note(const char *line);
    // Whether a user can use control c (numbered id) as a kind of control
    // that isKind accepts; when not, the note "refused: WHAT ID is MISSING"
    // (no such control, or not of the kind), "... is hidden" or "... is
    // disabled".
    bool usable(const Control *c, int id, bool (*isKind)(DialogControlKind), const char *what,
                const char *missing);
    // The terminal form (dialog_terminal.cpp): the server list and its
    // number prompt, then a prompt for each field that is enabled and
    // shown, then the buttons, until the dialog ends or the input does; a
    // message box waits for Enter.
    void interact();
    void printForm();
    void waitForEnter();

    Control controls_[kModelControlLimit];
    int controlCount_;
    Item *items_;
    int itemCount_;
    int itemCapacity_;
    int selection_;
    DialogRect window_;
    bool ended_;
    int result_;
    bool outOfMemory_;
    bool interactive_;
    void (*note_)(void *context, const char *line);
    void *noteContext_;
};

// Runs the connect dialog on a new window model driven by script (null: the
// terminal form when standard input is a terminal, else cancelled at once).
// Returns 1, 0 or kDialogNotCreated (also when the model cannot be
// allocated).
int runModelDialog(ServerConnection *connection, const DialogScript *script);

// Makes selectServer (and so cbqSelectServer) run the window model driven by
// script in place of the platform's dialog, until it is called with null.
// The script must outlive its use.
void useDialogScript(const DialogScript *script);

#endif  // CBQ_PLATFORM_WINDOW_MODEL_DIALOG_MODEL_H
