#include "tools/pwhost/dialog_driver.h"

#ifdef _WIN32

namespace {

struct Search {
    HWND found;
    HWND owner;  // for message boxes: their owner
};

BOOL CALLBACK findDialog(HWND window, LPARAM lParam) {
    char name[16];
    Search *search = reinterpret_cast<Search *>(lParam);
    if (GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "#32770") == 0 &&
        GetDlgItem(window, 1001) != nullptr && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK findMessageBox(HWND window, LPARAM lParam) {
    char name[16];
    Search *search = reinterpret_cast<Search *>(lParam);
    if (GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "#32770") == 0 &&
        GetWindow(window, GW_OWNER) == search->owner && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::string windowText(HWND window) {
    char text[1024];
    int n = GetWindowTextA(window, text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}

struct Call {
    HWND target;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    HANDLE done;
};

DWORD WINAPI sendCall(LPVOID p) {
    Call *c = static_cast<Call *>(p);
    SendMessageA(c->target, c->message, c->wParam, c->lParam);
    SetEvent(c->done);
    return 0;
}

// Sends a message that may bring up a modal message box: the dialog's
// thread may not answer until the box is closed, so wait in short slices
// and close boxes as they come.
void sendCarefully(HWND dialog, HWND target, UINT message, WPARAM wParam, LPARAM lParam,
                   std::vector<std::string> &notes) {
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Call call = {target, message, wParam, lParam, done};
    HANDLE worker = CreateThread(nullptr, 0, sendCall, &call, 0, nullptr);
    while (WaitForSingleObject(done, 100) == WAIT_TIMEOUT)
        closeMessageBoxes(dialog, notes);
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
    CloseHandle(done);
}

// The combo item whose text is text, else the first equal to it without
// regard to case; CB_ERR when none.
LRESULT findItem(HWND combo, const std::string &text) {
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, i, 0);
        if (length < 0 || static_cast<size_t>(length) != text.size())
            continue;
        std::string item(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&item[0]));
        if (item.compare(0, text.size(), text) == 0)
            return i;
    }
    return SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
}

// Why a user cannot use control as a window of the class ("Edit",
// "Button"): missing when it is none, "hidden", "disabled"; null when they
// can.
const char *whyUnusable(HWND control, const char *className, const char *missing) {
    char name[16] = "";
    if (control != nullptr)
        GetClassNameA(control, name, sizeof name);
    if (control == nullptr || lstrcmpiA(name, className) != 0)
        return missing;
    if (!IsWindowVisible(control))
        return "hidden";
    return IsWindowEnabled(control) ? nullptr : "disabled";
}

}  // namespace

HWND waitForConnectDialog(DWORD thread, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        Search search = {nullptr, nullptr};
        EnumThreadWindows(thread, findDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr)
            return search.found;
        if (GetTickCount() - start > timeoutMs)
            return nullptr;
        Sleep(50);
    }
}

void closeMessageBoxes(HWND dialog, std::vector<std::string> &notes) {
    for (;;) {
        Search search = {nullptr, dialog};
        EnumThreadWindows(GetWindowThreadProcessId(dialog, nullptr), findMessageBox,
                          reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr)
            return;
        std::string text;
        for (HWND child = GetWindow(search.found, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            char name[16];
            if (GetClassNameA(child, name, sizeof name) && lstrcmpiA(name, "Static") == 0 &&
                !windowText(child).empty())
                text = windowText(child);
        }
        notes.push_back("message: " + windowText(search.found) + ": " + text);
        SendMessageA(search.found, WM_COMMAND, IDOK, 0);
        Sleep(50);
    }
}

bool driveStep(HWND dialog, const DriverStep &step, std::vector<std::string> &notes) {
    switch (step.kind) {
    case DriverStep::kChoose: {
        HWND combo = GetDlgItem(dialog, 1001);
        LRESULT i = findItem(combo, step.text);
        if (i == CB_ERR || !IsWindowEnabled(combo)) {
            notes.push_back("refused: no server \"" + step.text + "\" is listed");
            return false;
        }
        SendMessageA(combo, CB_SETCURSEL, i, 0);
        sendCarefully(dialog, dialog, WM_COMMAND, MAKEWPARAM(1001, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo),
                      notes);
        return true;
    }
    case DriverStep::kType: {
        HWND edit = GetDlgItem(dialog, step.control);
        if (const char *why = whyUnusable(edit, "Edit", "no edit")) {
            notes.push_back("refused: field " + std::to_string(step.control) + " is " + why);
            return false;
        }
        // WM_SETTEXT passes over the edit's limit, which stops a user typing.
        int characters = MultiByteToWideChar(CP_ACP, 0, step.text.c_str(), -1, nullptr, 0) - 1;
        LRESULT limit = SendMessageA(edit, EM_GETLIMITTEXT, 0, 0);
        if (characters > limit) {
            notes.push_back("refused: field " + std::to_string(step.control) + " takes at most " +
                            std::to_string(limit) + " characters");
            return false;
        }
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(step.text.c_str()));
        return true;
    }
    case DriverStep::kPress: {
        HWND button = GetDlgItem(dialog, step.control);
        if (const char *why = whyUnusable(button, "Button", "no button")) {
            notes.push_back("refused: button " + std::to_string(step.control) + " is " + why);
            return false;
        }
        sendCarefully(dialog, button, BM_CLICK, 0, 0, notes);
        return true;
    }
    }
    return false;
}

#endif
