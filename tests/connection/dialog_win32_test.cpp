// The real connect dialog under Windows (Wine): template 101 of the built
// module, driven from a second thread by window messages as a user drives
// it (choose, type, click). The control states and the geometry of the full
// and the compact layout are checked against the template, and screenshots
// of both layouts are saved as PNG files in the working folder (the test's
// build folder under CTest) and named in the output.
#include <windows.h>

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include <string>
#include <vector>

#include "connection/connect_string.h"
#include "connection/connection_directories.h"
#include "platform/window_model/dialog_template.h"
#include "connection/select_server.h"
#include "connection/server_connection.h"
#include "host/memory.h"
#include "host/module_state.h"
#include "host/result_code.h"
#include "resources/resource_ids.h"
#include "tests/connection/dialog_fixture.h"
#include "tools/pwhost/dialog_driver.h"

namespace {

// --- PNG of a screen area ----------------------------------------------------

uint32_t crc32(const unsigned char *data, size_t n, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void put32(std::string &out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8)
        out += static_cast<char>((v >> s) & 0xFF);
}

void chunk(std::string &out, const char *type, const std::string &data) {
    put32(out, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    put32(out, crc32(reinterpret_cast<const unsigned char *>(body.data()), body.size()));
}

// rgb: rows top-down, 3 bytes a pixel. Stored (uncompressed) deflate blocks.
bool writePng(const std::string &path, int width, int height, const std::vector<unsigned char> &rgb) {
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';
        raw.append(reinterpret_cast<const char *>(&rgb[static_cast<size_t>(y) * width * 3]), width * 3);
    }
    std::string z = "\x78\x01";
    for (size_t at = 0; at < raw.size() || at == 0;) {
        size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
        bool last = at + n >= raw.size();
        z += static_cast<char>(last ? 1 : 0);
        z += static_cast<char>(n & 0xFF);
        z += static_cast<char>(n >> 8);
        z += static_cast<char>(~n & 0xFF);
        z += static_cast<char>((~n >> 8) & 0xFF);
        z.append(raw, at, n);
        at += n;
        if (last)
            break;
    }
    uint32_t a = 1, b = 0;
    for (unsigned char ch : raw) {
        a = (a + ch) % 65521;
        b = (b + a) % 65521;
    }
    put32(z, (b << 16) | a);
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    put32(header, width);
    put32(header, height);
    header += std::string("\x08\x02\x00\x00\x00", 5);
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", z);
    chunk(png, "IEND", "");
    FILE *f = fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    bool ok = fwrite(png.data(), 1, png.size(), f) == png.size();
    return fclose(f) == 0 && ok;
}

// The dialog's window as the screen shows it, into file (a full path).
bool screenshot(HWND dialog, const std::string &file) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    Sleep(500);
    RECT r;
    GetWindowRect(dialog, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
    const unsigned char *p = static_cast<const unsigned char *>(bits);
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
        rgb[i * 3] = p[i * 4 + 2];
        rgb[i * 3 + 1] = p[i * 4 + 1];
        rgb[i * 3 + 2] = p[i * 4];
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return writePng(file, w, h, rgb);
}

// --- what the driver thread sees ----------------------------------------------

std::string rectText(const RECT &r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

RECT clientRectOf(HWND dialog, int id) {
    RECT r = {};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

// The template's rectangle of a control in this dialog's pixels: position
// and size each converted with the dialog's own base units.
RECT templateRect(HWND dialog, const DialogControlTemplate &c) {
    RECT position = {c.x, c.y, c.width, c.height};
    MapDialogRect(dialog, &position);
    return RECT{position.left, position.top, position.left + position.right, position.top + position.bottom};
}

// Each control's place (the combo box: without its height, which the closed
// box takes from its font), enabled and visible state, against the template
// and the expected states; the mismatches, one a line.
std::string checkControls(HWND dialog, const std::vector<int> &disabled, const std::vector<int> &hidden,
                          int buttonTop) {
    std::string problems;
    for (int i = 0; i < kConnectDialogTemplate.count; ++i) {
        const DialogControlTemplate &c = kConnectDialogTemplate.controls[i];
        if (c.id == 65535)
            continue;
        HWND control = GetDlgItem(dialog, c.id);
        if (control == nullptr) {
            problems += "no control " + std::to_string(c.id) + "\n";
            continue;
        }
        RECT want = templateRect(dialog, c), got = clientRectOf(dialog, c.id);
        if (c.id == IDOK || c.id == IDCANCEL || c.id == IDC_HELP_BUTTON) {
            want.bottom += buttonTop - want.top;
            want.top = buttonTop;
        }
        if (c.kind == kControlCombo)
            got.bottom = want.bottom;
        if (memcmp(&want, &got, sizeof want) != 0)
            problems += std::to_string(c.id) + " at " + rectText(got) + ", template " + rectText(want) + "\n";
        bool off = false, away = false;
        for (int d : disabled)
            off = off || d == c.id;
        for (int h : hidden)
            away = away || h == c.id;
        if ((IsWindowEnabled(control) == 0) != off)
            problems += std::to_string(c.id) + (off ? " enabled\n" : " disabled\n");
        bool visible = (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
        if (visible == (away || !c.visible))
            problems += std::to_string(c.id) + (visible ? " shown\n" : " hidden\n");
    }
    return problems;
}

std::string clientSize(HWND dialog) {
    RECT r;
    GetClientRect(dialog, &r);
    return std::to_string(r.right) + "x" + std::to_string(r.bottom);
}

struct Drive {
    DWORD thread;
    std::string baseUnits;
    std::string folder;
    std::vector<std::string> findings;  // what was seen, in order
    std::vector<std::string> notes;
    std::vector<std::string> screenshots;
};

void see(Drive &d, const std::string &what) { d.findings.push_back(what); }

DWORD WINAPI driveDialog(LPVOID p) {
    Drive &d = *static_cast<Drive *>(p);
    HWND dialog = waitForConnectDialog(d.thread, 30000);
    if (dialog == nullptr) {
        see(d, "no dialog");
        return 0;
    }
    Sleep(300);
    RECT full = {0, 0, kConnectDialogTemplate.width, kConnectDialogTemplate.height};
    MapDialogRect(dialog, &full);
    RECT frame = templateRect(dialog, kConnectDialogTemplate.controls[0]);
    RECT group = {}, ok = {};
    for (int i = 0; i < kConnectDialogTemplate.count; ++i) {
        if (kConnectDialogTemplate.controls[i].id == IDC_RELATIONAL_GROUP)
            group = templateRect(dialog, kConnectDialogTemplate.controls[i]);
        if (kConnectDialogTemplate.controls[i].id == IDOK)
            ok = templateRect(dialog, kConnectDialogTemplate.controls[i]);
    }
    RECT units = {0, 0, 4, 8};
    MapDialogRect(dialog, &units);
    d.baseUnits = std::to_string(units.right) + "x" + std::to_string(units.bottom);
    wchar_t title[64];
    GetWindowTextW(dialog, title, 64);
    see(d, wcscmp(title, L"连接") == 0 ? "title 连接" : "title other");
    RECT w;
    GetWindowRect(dialog, &w);
    see(d, std::string("centred ") +
               (w.left == ((GetSystemMetrics(SM_CXSCREEN) - (w.right - w.left)) >> 1) &&
                        w.top == ((GetSystemMetrics(SM_CYSCREEN) - (w.bottom - w.top)) >> 1)
                    ? "yes"
                    : "no"));

    // Full: the remembered-less first item, Alpha, asks for everything.
    std::string fullSize = std::to_string(full.right) + "x" + std::to_string(full.bottom);
    std::string compactSize = std::to_string(frame.right) + "x" + std::to_string(frame.bottom);
    see(d, "full client " + (clientSize(dialog) == fullSize ? "= template" : clientSize(dialog) + " != " + fullSize));
    see(d, "full controls: " + checkControls(dialog, {}, {}, ok.top));
    std::string shot = d.folder + "\\connect-dialog-full.png";
    if (screenshot(dialog, shot))
        d.screenshots.push_back(shot);

    driveStep(dialog, DriverStep{DriverStep::kChoose, 0, "Delta"}, d.notes);
    see(d, "compact client " +
               (clientSize(dialog) == compactSize ? "= frame" : clientSize(dialog) + " != " + compactSize));
    see(d, "compact controls: " +
               checkControls(dialog, {IDC_RELATIONAL_USER_ID, IDC_RELATIONAL_PASSWORD, IDC_QUORVEL_ID},
                             {IDC_RELATIONAL_GROUP, IDC_RELATIONAL_USER_ID, IDC_RELATIONAL_USER_ID_LABEL}, group.top));
    RECT after;
    GetWindowRect(dialog, &after);
    see(d, std::string("top-left kept ") + (after.left == w.left && after.top == w.top ? "yes" : "no"));
    shot = d.folder + "\\connect-dialog-compact.png";
    if (screenshot(dialog, shot))
        d.screenshots.push_back(shot);

    driveStep(dialog, DriverStep{DriverStep::kChoose, 0, "Alpha"}, d.notes);
    see(d, "full again client " +
               (clientSize(dialog) == fullSize ? "= template" : clientSize(dialog) + " != " + fullSize));
    see(d, "full again controls: " + checkControls(dialog, {}, {}, ok.top));
    driveStep(dialog, DriverStep{DriverStep::kType, IDC_DOMAIN, "CORP"}, d.notes);
    driveStep(dialog, DriverStep{DriverStep::kType, IDC_USER_ID, "anna"}, d.notes);
    driveStep(dialog, DriverStep{DriverStep::kType, IDC_PASSWORD, "pa/ss"}, d.notes);
    driveStep(dialog, DriverStep{DriverStep::kType, IDC_RELATIONAL_USER_ID, "ru"}, d.notes);
    driveStep(dialog, DriverStep{DriverStep::kType, IDC_QUORVEL_ID, "Q7"}, d.notes);
    driveStep(dialog, DriverStep{DriverStep::kPress, IDC_HELP_BUTTON, ""}, d.notes);
    driveStep(dialog, DriverStep{DriverStep::kPress, IDOK, ""}, d.notes);
    Sleep(200);
    see(d, std::string("ended ") + (IsWindow(dialog) ? "no" : "yes"));
    return 0;
}

std::vector<std::string> helpCalls;
int32_t help(uint32_t context, int32_t topic) {
    helpCalls.push_back(std::to_string(context) + "/" + std::to_string(topic));
    return 0;
}

class ConnectDialogWin32Test : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        module = LoadLibraryA("cbq90.dll");
        saved = moduleState.instance;
        moduleState.instance = module;
    }
    void TearDown() override {
        moduleState.instance = saved;
        if (module != nullptr)
            FreeLibrary(module);
        DialogTest::TearDown();
    }
    HMODULE module = nullptr;
    void *saved = nullptr;
};

TEST_F(ConnectDialogWin32Test, TheRealDialogDrivenByWindowMessages) {
    ASSERT_NE(module, nullptr) << "cbq90.dll beside the test";
    if (GetSystemMetrics(SM_CXSCREEN) == 0)
        GTEST_SKIP() << "no display";
    home();
    server("a.qcf", "Alpha", {"ServerLogin=1", "ConnectionType=1", "ServerString=alpha@tcp:1"},
           {"PromptForQuorvelID=1"});
    server("d.qcf", "Delta", {"ServerLogin=1", "ServerString=delta@tcp:4"});
    char folder[MAX_PATH];
    GetCurrentDirectoryA(sizeof folder, folder);
    Drive drive;
    drive.thread = GetCurrentThreadId();
    drive.folder = folder;
    HANDLE thread = CreateThread(nullptr, 0, driveDialog, &drive, 0, nullptr);
    ServerConnection *connection = memNew<ServerConnection>();
    connection->helpContext = 5;
    connection->helpFunction = help;
    helpCalls.clear();
    std::vector<char> connectString(kConnectStringSize, 'x');
    char path[264];
    ResultCode result = selectServer(connection, connectString.data(), path);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    memDelete(connection);

    for (const std::string &s : drive.screenshots)
        printf("screenshot: %s\n", s.c_str());
    EXPECT_EQ(drive.screenshots.size(), 2u);
    EXPECT_EQ(result, kOk);
    printf("dialog base units: %s (the window model uses 6x13)\n", drive.baseUnits.c_str());
    EXPECT_EQ(drive.findings, (std::vector<std::string>{
                                  "title 连接",
                                  "centred yes",
                                  "full client = template",
                                  "full controls: ",
                                  "compact client = frame",
                                  "compact controls: ",
                                  "top-left kept yes",
                                  "full again client = template",
                                  "full again controls: ",
                                  "ended yes",
                              }));
    EXPECT_EQ(drive.notes, std::vector<std::string>{});
    EXPECT_EQ(helpCalls, std::vector<std::string>{"5/13006"});
    EXPECT_EQ(std::string(connectString.data()),
              "server=alpha@tcp:1/sl=1/st=1/ct=1/sv=0/domain=CORP/user=anna/password=pa//ss/slyuser=ru/"
              "slypassword=/slyquorvelid=Q7/slyserverscript=/slyservername=/slyservertype=/slypersonalconfig=0/"
              "slyconnecttype=0/slymasterdb=/");
    EXPECT_EQ(std::string(path), tree.path("conn\\a.qcf"));
}

}  // namespace
