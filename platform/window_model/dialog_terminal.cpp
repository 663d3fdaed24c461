// The window model's terminal form: the connect dialog driven by a user on
// the terminal (standard input and output), as runModelDialog runs it when
// no script is given and standard input is a terminal. See interact() in
// platform/window_model/dialog_model.h.
#include "platform/window_model/dialog_model.h"

#include <stdio.h>

#ifndef _WIN32
#include <termios.h>
#endif

#include "connection/connect_dialog.h"
#include "resources/resource_ids.h"
#include "text/growable_text.h"

namespace {

// Reads one line from standard input, however long, into answer without its
// line end (LF, or CR LF); false at the end of input, and when memory for the
// line runs out (*outOfMemory is set then, and the rest of the line is read
// and dropped, so that none of it answers the next prompt). hidden: the
// terminal does not echo it.
bool readAnswer(GrowableText *answer, bool hidden, bool *outOfMemory) {
#ifndef _WIN32
    termios saved;
    bool restore = hidden && tcgetattr(0, &saved) == 0;
    if (restore) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(0, TCSAFLUSH, &quiet);
    }
#endif
    fflush(stdout);
    answer->clear();
    bool fits = true;
    int c = EOF;
    while ((c = getchar()) != EOF && c != '\n')
        fits = fits && answer->appendByte(static_cast<char>(c));
    bool got = c == '\n' || !answer->empty();
#ifndef _WIN32
    if (restore) {
        tcsetattr(0, TCSAFLUSH, &saved);
        printf("\n");
    }
#endif
    if (!fits) {
        *outOfMemory = true;
        return false;
    }
    if (answer->length() > 0 && answer->text()[answer->length() - 1] == '\r')
        answer->truncate(answer->length() - 1);
    return got;
}

// A label's text without its "&" mnemonic marks.
void plainLabel(const char *label, char *buffer, size_t size) {
    size_t n = 0;
    for (; *label != '\0' && n + 1 < size; ++label)
        if (*label != '&')
            buffer[n++] = *label;
    buffer[n] = '\0';
}

struct FieldPrompt {
    int edit;
    int label;
    const char *fallback;  // the unnumbered password label's text
};

const FieldPrompt kFields[] = {
    {IDC_DOMAIN, IDC_DOMAIN_LABEL, nullptr},
    {IDC_USER_ID, IDC_USER_ID_LABEL, nullptr},
    {IDC_PASSWORD, IDC_PASSWORD_LABEL, nullptr},
    {IDC_RELATIONAL_USER_ID, IDC_RELATIONAL_USER_ID_LABEL, nullptr},
    {IDC_RELATIONAL_PASSWORD, 0, "口令:"},
    {IDC_QUORVEL_ID, IDC_QUORVEL_ID_LABEL, nullptr},
};

}  // namespace

void DialogModel::printForm() {
    printf("\n%s\n", kConnectDialogTemplate.title);
    char label[128];
    plainLabel(control(IDC_SERVER_LABEL)->label, label, sizeof label);
    printf("%s\n", label);
    if (itemCount_ == 0)
        printf("   (none)\n");
    for (int i = 0; i < itemCount_; ++i)
        printf(" %c %d) %s\n", i == selection_ ? '*' : ' ', i + 1, items_[i].text);
}

// The terminal form: the server list and its number prompt, then a prompt
// for each field that is enabled and shown, then the buttons.
void DialogModel::interact() {
    GrowableText answer;
    char label[128];
    while (!ended_) {
        printForm();
        if (itemCount_ > 0) {
            printf("server number (Enter: keep): ");
            if (!readAnswer(&answer, false, &outOfMemory_))
                break;
            int n = 0;
            if (sscanf(answer.text(), "%d", &n) == 1 && n >= 1 && n <= itemCount_ && n - 1 != selection_) {
                selectItem(n - 1);
                connectDialogCommand(this, IDC_SERVER_COMBO, kComboSelectionChanged);
                continue;  // the fields may have changed: show the form again
            }
        }
        for (const FieldPrompt &f : kFields) {
            Control *edit = find(f.edit);
            if (edit == nullptr || !edit->enabled || !edit->visible)
                continue;
            plainLabel(f.fallback != nullptr ? f.fallback : control(f.label)->label, label, sizeof label);
            printf("%s ", label);
            if (!readAnswer(&answer, edit->kind == kControlPassword, &outOfMemory_)) {
                close();
                return;
            }
            type(f.edit, answer.text());
        }
        const Control *ok = control(IDOK);
        printf("%s: o = %s, c = %s, h = %s, s = server: ", ok->enabled ? "OK" : "(OK disabled)", "确定", "取消",
               "帮助");
        if (!readAnswer(&answer, false, &outOfMemory_))
            break;
        char choice = answer.text()[0];
        if (choice == 'o' && ok->enabled)
            press(IDOK);
        else if (choice == 'c')
            press(IDCANCEL);
        else if (choice == 'h')
            press(IDC_HELP_BUTTON);
    }
    if (!ended_)
        close();
}

void DialogModel::waitForEnter() {
    printf("(Enter) ");
    GrowableText answer;
    readAnswer(&answer, false, &outOfMemory_);
}
