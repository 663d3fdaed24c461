// The connect dialog on Linux (runPlatformDialog, connection/dialog_window.h):
// the window model, played from the script that the environment variable
// CBQ_DIALOG_SCRIPT holds when it is set; otherwise the terminal form when
// standard input is a terminal, else closed at once (cancelled).
//
// The script holds one action a line, the lines ending in LF:
//   choose TEXT          choose the server whose description is TEXT
//   type CONTROL TEXT    type TEXT into the edit numbered CONTROL in the
//                        template (1002 domain ... 1012 Quorvel ID)
//   press CONTROL        press the button CONTROL (1 OK, 2 Cancel, 1000 Help)
//   close                the close box
// In TEXT a backslash and n stand for an LF and two backslashes for one
// backslash; every other byte stands for itself. Empty lines are skipped. A
// line that is none of these is refused as an action a user cannot take,
// and the script goes on. What the dialog showed or refused is printed on
// standard output as it happens, one line each: "dialog: message: CAPTION:
// TEXT", "dialog: refused: ...". This is how a host harness drives the
// dialog of the module it loaded (pwhost select).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "connection/dialog_window.h"
#include "host/memory.h"
#include "platform/window_model/dialog_model.h"

namespace {

const char kScriptVariable[] = "CBQ_DIALOG_SCRIPT";

void printNote(void *, const char *line) {
    printf("dialog: %s\n", line);
    fflush(stdout);
}

// Replaces each backslash and n by an LF and each pair of backslashes by
// one backslash, in place.
void unescape(char *text) {
    char *out = text;
    for (const char *p = text; *p != '\0'; ++p) {
        if (p[0] == '\\' && (p[1] == 'n' || p[1] == '\\')) {
            *out++ = p[1] == 'n' ? '\n' : '\\';
            ++p;
        } else {
            *out++ = *p;
        }
    }
    *out = '\0';
}

// The word at *p when it is the keyword: *p moves past it and the blank
// after it (a keyword that takes nothing ends the line).
bool keyword(char **p, const char *word, bool argument) {
    size_t n = strlen(word);
    if (strncmp(*p, word, n) != 0 || (*p)[n] != (argument ? ' ' : '\0'))
        return false;
    *p += argument ? n + 1 : n;
    return true;
}

// A control number at *p, which ends the line or is followed by a blank
// (passed over when text follows); false when there is none.
bool controlNumber(char **p, bool textFollows, int *control) {
    char *end = nullptr;
    long number = strtol(*p, &end, 10);
    if (end == *p || **p < '0' || **p > '9' || number > 65535 || *end != (textFollows ? ' ' : '\0'))
        return false;
    *control = static_cast<int>(number);
    *p = textFollows ? end + 1 : end;
    return true;
}

// One line of the script as an action, whose text points into the line.
bool readAction(char *line, DialogAction *action) {
    *action = DialogAction{kActionClose, 0, nullptr, nullptr, nullptr};
    char *p = line;
    if (keyword(&p, "close", false))
        return true;
    if (keyword(&p, "press", true)) {
        action->kind = kActionPress;
        return controlNumber(&p, false, &action->control);
    }
    if (keyword(&p, "type", true)) {
        action->kind = kActionType;
        if (!controlNumber(&p, true, &action->control))
            return false;
    } else if (keyword(&p, "choose", true)) {
        action->kind = kActionChoose;
    } else {
        return false;
    }
    unescape(p);
    action->text = p;
    return true;
}

// The script of the environment's text: the actions point into a copy of
// the text; both blocks come from the allocation seam.
class EnvironmentScript {
public:
    EnvironmentScript() : copy_(nullptr), actions_(nullptr), script_{nullptr, 0, printNote, nullptr} {}
    ~EnvironmentScript() {
        memFree(copy_);
        memFree(actions_);
    }
    EnvironmentScript(const EnvironmentScript &) = delete;
    EnvironmentScript &operator=(const EnvironmentScript &) = delete;

    // Reads the script; false when memory runs out.
    bool read(const char *text) {
        size_t length = strlen(text);
        size_t lines = 1;
        for (const char *p = text; (p = strchr(p, '\n')) != nullptr; ++p)
            ++lines;
        copy_ = static_cast<char *>(memAlloc(length + 1));
        actions_ = static_cast<DialogAction *>(memAlloc(sizeof(DialogAction) * lines));
        if (copy_ == nullptr || actions_ == nullptr)
            return false;
        memcpy(copy_, text, length + 1);
        size_t count = 0;
        for (char *line = copy_; line != nullptr;) {
            char *end = strchr(line, '\n');
            if (end != nullptr)
                *end = '\0';
            if (*line != '\0' && readAction(line, &actions_[count]))
                ++count;
            else if (*line != '\0')
                refuse(line);
            line = end != nullptr ? end + 1 : nullptr;
        }
        script_.actions = actions_;
        script_.count = count;
        return true;
    }

    const DialogScript *script() const { return &script_; }

private:
    static void refuse(const char *line) {
        printf("dialog: refused: no action \"%s\"\n", line);
        fflush(stdout);
    }

    char *copy_;
    DialogAction *actions_;
    DialogScript script_;
};

}  // namespace

int runPlatformDialog(ServerConnection *connection) {
    const char *text = getenv(kScriptVariable);
    if (text == nullptr)
        return runModelDialog(connection, nullptr);
    EnvironmentScript script;
    if (!script.read(text))
        return kDialogNotCreated;
    return runModelDialog(connection, script.script());
}
