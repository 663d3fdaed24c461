// pwhost select: runs cbqSelectServer as the report designer does and
// prints what it returns.
//
//   pwhost select [--choose DESCRIPTION] [--type FIELD=TEXT]...
//                 [--press ok|cancel|help]... [--show-secrets]
//       FIELD: domain, user, password, sly-user, sly-password, quorvel-id.
//       The actions run in the order given, as a user takes them in the
//       connect dialog; when they run out with the dialog open, it is
//       closed (cancelled). Without any action the dialog is the user's:
//       on Windows the real one; on Linux the window model's form on the
//       terminal (when standard input is not a terminal: cancelled).
//       Prints the result code and its meaning, the connect string with
//       every password value masked (unless --show-secrets) and the
//       connection file's path; what the dialog showed or refused, and any
//       help call, come first.
//   Exit 0 when the result is 0, 1 for any other result, 2 on a usage
//   error.
//
// It calls the loaded module's export cbqSelectServer on both targets. On
// Windows the module's dialog is driven by window messages from a second
// thread (tools/pwhost/dialog_driver.h). On Linux the module's dialog is its
// window model, which plays the actions from the environment variable
// CBQ_DIALOG_SCRIPT (platform/window_model/dialog_platform_posix.cpp) and
// prints what the dialog showed or refused itself.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "connection/connect_string.h"
#include "host/result_code.h"
#include "resources/resource_ids.h"
#include "tools/pwhost/host.h"

#ifdef _WIN32
#include "tools/pwhost/dialog_driver.h"
#else
#include <stdlib.h>
#endif

namespace {

struct Action {
    enum Kind { kChoose, kType, kPress } kind;
    int control;
    std::string text;
};

const struct {
    const char *name;
    int control;
} kFields[] = {
    {"domain", IDC_DOMAIN},
    {"user", IDC_USER_ID},
    {"password", IDC_PASSWORD},
    {"sly-user", IDC_RELATIONAL_USER_ID},
    {"sly-password", IDC_RELATIONAL_PASSWORD},
    {"quorvel-id", IDC_QUORVEL_ID},
};

const struct {
    const char *name;
    int control;
} kButtons[] = {{"ok", IDOK}, {"cancel", IDCANCEL}, {"help", IDC_HELP_BUTTON}};

const char kUsage[] =
    "usage: pwhost select [--choose DESCRIPTION] [--type FIELD=TEXT]... [--press ok|cancel|help]...\n"
    "                     [--show-secrets]\n"
    "       FIELD: domain, user, password, sly-user, sly-password, quorvel-id\n";

int32_t helpCall(uint32_t context, int32_t topic) {
    printf("help: context %u, topic %d\n", static_cast<unsigned>(context), static_cast<int>(topic));
    fflush(stdout);
    return 0;
}

// The connect string with the value of every "password" and "slypassword"
// field shown as "****" (an empty one stays empty). Fields end with "/"; a
// "//" inside a value is an escaped slash.
std::string masked(const std::string &text) {
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = at;
        while (end < text.size() && !(text[end] == '/' && (end + 1 >= text.size() || text[end + 1] != '/')))
            end += text[end] == '/' ? 2 : 1;
        std::string field = text.substr(at, end - at);
        size_t eq = field.find('=');
        std::string key = eq == std::string::npos ? "" : field.substr(0, eq);
        if ((key == "password" || key == "slypassword") && eq + 1 < field.size())
            field = key + "=****";
        out += field;
        if (end < text.size())
            out += '/';
        at = end + 1;
    }
    return out;
}

#ifdef _WIN32
// What the dialog showed or refused, printed as it happens.
void printNotes(std::vector<std::string> &notes) {
    for (const std::string &n : notes)
        printf("dialog: %s\n", n.c_str());
    fflush(stdout);
    notes.clear();
}

struct Driver {
    DWORD thread;
    const std::vector<Action> *actions;
    std::vector<std::string> notes;
    bool found = false;
};

DWORD WINAPI drive(LPVOID p) {
    Driver *d = static_cast<Driver *>(p);
    HWND dialog = waitForConnectDialog(d->thread, 20000);
    if (dialog == nullptr)
        return 0;
    d->found = true;
    closeMessageBoxes(dialog, d->notes);
    printNotes(d->notes);
    for (const Action &a : *d->actions) {
        if (!IsWindow(dialog))
            break;
        DriverStep step = {a.kind == Action::kChoose ? DriverStep::kChoose
                           : a.kind == Action::kType ? DriverStep::kType
                                                     : DriverStep::kPress,
                           a.control, a.text};
        driveStep(dialog, step, d->notes);
        printNotes(d->notes);
    }
    if (IsWindow(dialog))
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return 0;
}
#else
// The actions as the Linux window model reads them from CBQ_DIALOG_SCRIPT:
// one a line, each LF of a text as a backslash and n, each backslash
// doubled.
std::string dialogScript(const std::vector<Action> &actions) {
    std::string script;
    for (const Action &a : actions) {
        if (a.kind == Action::kPress) {
            script += "press " + std::to_string(a.control) + "\n";
            continue;
        }
        script += a.kind == Action::kChoose ? std::string("choose ") : "type " + std::to_string(a.control) + " ";
        for (char c : a.text)
            script += c == '\n' ? "\\n" : c == '\\' ? "\\\\" : std::string(1, c);
        script += "\n";
    }
    return script;
}
#endif

}  // namespace

int commandSelect(Host &host, const std::vector<std::string> &args) {
    std::vector<Action> actions;
    bool showSecrets = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (a == "--show-secrets") {
            showSecrets = true;
            continue;
        }
        if ((a != "--choose" && a != "--type" && a != "--press") || i + 1 >= args.size()) {
            fprintf(stderr, "pwhost select: %s %s\n", a.c_str(),
                    a == "--choose" || a == "--type" || a == "--press" ? "needs a value" : "is no option");
            fputs(kUsage, stderr);
            return 2;
        }
        const std::string &value = args[++i];
        if (a == "--choose") {
            actions.push_back(Action{Action::kChoose, 0, value});
        } else if (a == "--type") {
            size_t eq = value.find('=');
            int control = 0;
            for (const auto &f : kFields)
                if (eq != std::string::npos && value.compare(0, eq, f.name) == 0 && strlen(f.name) == eq)
                    control = f.control;
            if (control == 0) {
                fprintf(stderr, "pwhost select: --type takes FIELD=TEXT with a known FIELD, not '%s'\n",
                        value.c_str());
                fputs(kUsage, stderr);
                return 2;
            }
            actions.push_back(Action{Action::kType, control, value.substr(eq + 1)});
        } else {
            int control = 0;
            for (const auto &b : kButtons)
                if (value == b.name)
                    control = b.control;
            if (control == 0) {
                fprintf(stderr, "pwhost select: --press takes ok, cancel or help, not '%s'\n", value.c_str());
                return 2;
            }
            actions.push_back(Action{Action::kPress, control, ""});
        }
    }

    std::vector<char> connectString(kConnectStringSize, '\0');
    char path[264] = "";
    ResultCode result;
#ifdef _WIN32
    Driver driver = {GetCurrentThreadId(), &actions, {}};
    HANDLE thread = nullptr;
    if (!actions.empty())
        thread = CreateThread(nullptr, 0, drive, &driver, 0, nullptr);
    result = host.module.selectServer(connectString.data(), path, 0, helpCall);
    if (thread != nullptr) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
#else
    // Without actions the dialog is the user's.
    if (actions.empty())
        unsetenv("CBQ_DIALOG_SCRIPT");
    else
        setenv("CBQ_DIALOG_SCRIPT", dialogScript(actions).c_str(), 1);
    result = host.module.selectServer(connectString.data(), path, 0, helpCall);
    unsetenv("CBQ_DIALOG_SCRIPT");
#endif
    printf("result: %u %s\n", static_cast<unsigned>(result), resultCodeName(result));
    if (result != kOk)
        return 1;
    printf("connect string: %s\n", showSecrets ? connectString.data() : masked(connectString.data()).c_str());
    printf("path: %s\n", path);
    return 0;
}
