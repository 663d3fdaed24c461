// The connect dialog on Windows: template 101 and string table 1/2 of the
// module's resources, shown modally with DialogBoxParamA; DialogWindow over
// its window handle.
#include <windows.h>

#include "connection/connect_dialog.h"
#include "connection/dialog_window.h"
#include "host/module_state.h"
#include "resources/resource_ids.h"

namespace {

class Win32Dialog : public DialogWindow {
public:
    explicit Win32Dialog(HWND dialog) : dialog_(dialog) {}

    void enableControl(int id, bool enable) override { EnableWindow(GetDlgItem(dialog_, id), enable); }
    bool controlEnabled(int id) override { return IsWindowEnabled(GetDlgItem(dialog_, id)) != 0; }
    void showControl(int id, bool show) override { ShowWindow(GetDlgItem(dialog_, id), show ? SW_SHOWNORMAL : SW_HIDE); }
    void moveControl(int id, int32_t x, int32_t y, int32_t width, int32_t height) override {
        MoveWindow(GetDlgItem(dialog_, id), x, y, width, height, TRUE);
    }
    bool controlWindowRect(int id, DialogRect *rect) override {
        HWND control = GetDlgItem(dialog_, id);
        RECT r;
        if (control == nullptr || !GetWindowRect(control, &r))
            return false;
        *rect = DialogRect{r.left, r.top, r.right, r.bottom};
        return true;
    }
    void limitText(int id, int characters) override {
        SendDlgItemMessageA(dialog_, id, EM_LIMITTEXT, static_cast<WPARAM>(characters), 0);
    }
    void controlText(int id, char *buffer, int size) override {
        if (size > 0 && GetDlgItemTextA(dialog_, id, buffer, size) == 0)
            buffer[0] = '\0';
    }

    int addItem(const char *text, void *data) override {
        LRESULT i = SendDlgItemMessageA(dialog_, IDC_SERVER_COMBO, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (i == CB_ERR || i == CB_ERRSPACE)
            return -1;
        if (SendDlgItemMessageA(dialog_, IDC_SERVER_COMBO, CB_SETITEMDATA, i, reinterpret_cast<LPARAM>(data)) ==
            CB_ERR) {
            SendDlgItemMessageA(dialog_, IDC_SERVER_COMBO, CB_DELETESTRING, i, 0);
            return -1;
        }
        return static_cast<int>(i);
    }
    bool itemData(int i, void **data) override {
        LRESULT d = SendDlgItemMessageA(dialog_, IDC_SERVER_COMBO, CB_GETITEMDATA, i, 0);
        if (d == CB_ERR)
            return false;
        *data = reinterpret_cast<void *>(d);
        return true;
    }
    void selectItem(int i) override { SendDlgItemMessageA(dialog_, IDC_SERVER_COMBO, CB_SETCURSEL, i, 0); }
    int currentSelection() override {
        return static_cast<int>(SendDlgItemMessageA(dialog_, IDC_SERVER_COMBO, CB_GETCURSEL, 0, 0));
    }
    void deleteItem(int i) override { SendDlgItemMessageA(dialog_, IDC_SERVER_COMBO, CB_DELETESTRING, i, 0); }

    void windowRect(DialogRect *rect) override {
        RECT r;
        GetWindowRect(dialog_, &r);
        *rect = DialogRect{r.left, r.top, r.right, r.bottom};
    }
    void clientRect(DialogRect *rect) override {
        RECT r;
        GetClientRect(dialog_, &r);
        *rect = DialogRect{r.left, r.top, r.right, r.bottom};
    }
    void screenToClient(DialogPoint *point) override {
        POINT p = {point->x, point->y};
        MapWindowPoints(nullptr, dialog_, &p, 1);
        *point = DialogPoint{p.x, p.y};
    }
    void clientToWindowRect(DialogRect *rect) override {
        RECT r = {rect->left, rect->top, rect->right, rect->bottom};
        AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(dialog_, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongA(dialog_, GWL_EXSTYLE)));
        *rect = DialogRect{r.left, r.top, r.right, r.bottom};
    }
    void moveWindow(int32_t left, int32_t top) override {
        SetWindowPos(dialog_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void resizeWindow(int32_t width, int32_t height) override {
        SetWindowPos(dialog_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void screenSize(int32_t *width, int32_t *height) override {
        *width = GetSystemMetrics(SM_CXSCREEN);
        *height = GetSystemMetrics(SM_CYSCREEN);
    }

    void messageBox(int textId, int captionId) override {
        HINSTANCE module = static_cast<HINSTANCE>(moduleState.instance);
        char text[512], caption[128];
        if (LoadStringA(module, textId, text, sizeof text) == 0)
            text[0] = '\0';
        if (LoadStringA(module, captionId, caption, sizeof caption) == 0)
            caption[0] = '\0';
        MessageBoxA(dialog_, text, caption, MB_OK);
    }
    void endDialog(int result) override { EndDialog(dialog_, result); }

private:
    HWND dialog_;
};

INT_PTR CALLBACK connectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Dialog window(dialog);
    switch (message) {
    case WM_INITDIALOG:
        return connectDialogInit(&window, reinterpret_cast<ServerConnection *>(lParam));
    case WM_COMMAND:
        return connectDialogCommand(&window, LOWORD(wParam), HIWORD(wParam));
    }
    return 0;
}

}  // namespace

// DialogBoxParamA gives -1 when the dialog cannot be created (no template
// 101 in the module, or the window system out of resources); the dialog
// itself ends only with 1 (OK) or 0 (Cancel) through EndDialog.
int runPlatformDialog(ServerConnection *connection) {
    INT_PTR ended = DialogBoxParamA(static_cast<HINSTANCE>(moduleState.instance), MAKEINTRESOURCEA(IDD_CONNECT),
                                    nullptr, connectDialogProc, reinterpret_cast<LPARAM>(connection));
    return ended == 1 || ended == 0 ? static_cast<int>(ended) : kDialogNotCreated;
}
