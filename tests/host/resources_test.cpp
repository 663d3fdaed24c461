// The resources inside cbq90.dll: the connect dialog's template, the string
// table and the version, read back with the Win32 resource functions.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace {

std::wstring modulePath() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L"\\/") + 1) + L"cbq90.dll";
}

class Resources : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExW(modulePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override { FreeLibrary(module_); }
    HMODULE module_ = nullptr;
};

// Reads a DLGTEMPLATE (the classic form) word by word.
struct TemplateReader {
    const WORD *p;
    WORD word() { return *p++; }
    DWORD dword() {
        DWORD lo = word();
        return lo | (static_cast<DWORD>(word()) << 16);
    }
    std::wstring text() {
        std::wstring s;
        while (*p != 0)
            s += static_cast<wchar_t>(*p++);
        ++p;
        return s;
    }
    // A name or ordinal: 0xFFFF followed by an ordinal, else a text.
    std::wstring nameOrOrdinal() {
        if (*p == 0xFFFF) {
            ++p;
            return L"#" + std::to_wstring(word());
        }
        return text();
    }
    void alignToDword(const void *base) {
        size_t offset = reinterpret_cast<const BYTE *>(p) - static_cast<const BYTE *>(base);
        if (offset % 4)
            ++p;
    }
};

struct Item {
    DWORD style;
    short x, y, cx, cy;
    WORD id;
    std::wstring className, text;
};

TEST_F(Resources, ConnectDialogTemplate) {
    HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(IDD_CONNECT), MAKEINTRESOURCEW(5));
    ASSERT_NE(found, nullptr);
    EXPECT_NE(FindResourceExW(module_, MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(IDD_CONNECT),
                              MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)),
              nullptr)
        << "the dialog is in Chinese (Simplified)";
    const void *base = LockResource(LoadResource(module_, found));
    TemplateReader r{static_cast<const WORD *>(base)};
    DWORD style = r.dword();
    r.dword();  // extended style
    WORD count = r.word();
    short x = r.word(), y = r.word(), cx = r.word(), cy = r.word();
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT),
              static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(cx, 262);
    EXPECT_EQ(cy, 226);
    EXPECT_EQ(r.nameOrOrdinal(), L"");  // no menu
    EXPECT_EQ(r.nameOrOrdinal(), L"");  // the standard dialog class
    EXPECT_EQ(r.text(), L"连接");
    EXPECT_EQ(r.word(), 8);
    EXPECT_EQ(r.text(), L"MS Sans Serif");

    std::vector<Item> items;
    for (WORD i = 0; i < count; ++i) {
        r.alignToDword(base);
        Item item;
        item.style = r.dword();
        r.dword();
        item.x = r.word();
        item.y = r.word();
        item.cx = r.word();
        item.cy = r.word();
        item.id = r.word();
        item.className = r.nameOrOrdinal();
        // A class given by name stands for the predefined class's ordinal.
        if (_wcsicmp(item.className.c_str(), L"STATIC") == 0)
            item.className = L"#130";
        item.text = r.nameOrOrdinal();
        WORD extra = r.word();
        r.p += (extra + 1) / 2;
        items.push_back(item);
    }

    const DWORD kEdit = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
    const DWORD kLabel = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;
    const DWORD kGroup = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;
    const DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    const Item expected[] = {
        {WS_CHILD | SS_BLACKFRAME, 0, 0, 260, 130, 1013, L"#130", L""},
        {kLabel, 5, 7, 57, 14, 1006, L"#130", L"Quorvel 服务器(&E):"},
        {WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 70, 5,
         186, 103, 1001, L"#133", L""},
        {kGroup, 5, 20, 250, 85, 65535, L"#128", L"验证"},
        {kLabel, 15, 42, 45, 8, 1007, L"#130", L"域(&D):"},
        {kEdit, 70, 40, 176, 14, 1002, L"#129", L""},
        {kLabel, 15, 62, 45, 8, 1008, L"#130", L"用户 ID(&U):"},
        {kEdit, 70, 60, 175, 14, 1003, L"#129", L""},
        {kLabel, 15, 82, 45, 8, 1009, L"#130", L"口令(&P):"},
        {kEdit | ES_PASSWORD, 70, 80, 175, 14, 1004, L"#129", L""},
        {kGroup, 5, 110, 250, 85, 1014, L"#128", L"RDBMS 连接"},
        {kLabel, 15, 130, 45, 10, 1015, L"#130", L"用户 ID:"},
        {kEdit, 70, 125, 175, 15, 1010, L"#129", L""},
        {kLabel, 15, 150, 40, 10, 65535, L"#130", L"口令:"},
        {kEdit | ES_PASSWORD, 70, 145, 175, 15, 1011, L"#129", L""},
        {kLabel, 15, 170, 50, 10, 1016, L"#130", L"Quorvel ID:"},
        {kEdit, 70, 165, 175, 15, 1012, L"#129", L""},
        {kButton | BS_DEFPUSHBUTTON, 5, 205, 50, 14, 1, L"#128", L"确定"},
        {kButton | BS_PUSHBUTTON, 105, 205, 50, 14, 2, L"#128", L"取消"},
        {kButton | BS_PUSHBUTTON, 205, 205, 50, 14, 1000, L"#128", L"帮助"},
    };
    ASSERT_EQ(items.size(), sizeof expected / sizeof expected[0]);
    for (size_t i = 0; i < items.size(); ++i) {
        const Item &a = items[i], &e = expected[i];
        SCOPED_TRACE("control " + std::to_string(i) + " id " + std::to_string(e.id));
        EXPECT_EQ(a.id, e.id);
        EXPECT_EQ(a.x, e.x);
        EXPECT_EQ(a.y, e.y);
        EXPECT_EQ(a.cx, e.cx);
        EXPECT_EQ(a.cy, e.cy);
        EXPECT_TRUE(a.className == e.className);
        EXPECT_TRUE(a.text == e.text);
        EXPECT_EQ(a.style, e.style);
    }
}

std::wstring loadString(HMODULE module, UINT id) {
    const wchar_t *text = nullptr;
    int n = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    return std::wstring(text, n > 0 ? n : 0);
}

TEST_F(Resources, StringTable) {
    EXPECT_TRUE(loadString(module_, IDS_FILE_VANISHED) ==
                L"用于所选 Quorvel 服务器的 Quorvel 连接文件 (QCF) 已由其他进程删除。\n\n"
                L"这一选择不再可用。");
    EXPECT_TRUE(loadString(module_, IDS_ERROR_CAPTION) == L"Pagewright Quorvel 查询  -  错误");
    // String tables are stored in blocks of sixteen; block 1 holds ids 0 to 15.
    EXPECT_NE(FindResourceExW(module_, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(1),
                              MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)),
              nullptr);
}

TEST(Version, ResourceReads9005) {
    std::wstring path = modulePath();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO *info = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void **>(&info), &length));
    EXPECT_EQ(info->dwFileVersionMS, 0x00090000u);
    EXPECT_EQ(info->dwFileVersionLS, 0x00000005u);
    EXPECT_EQ(info->dwProductVersionMS, 0x00090000u);
    EXPECT_EQ(info->dwProductVersionLS, 0x00000005u);
    EXPECT_EQ(info->dwFileType, static_cast<DWORD>(VFT_DLL));
    wchar_t *text = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\080404B0\\FileVersion",
                               reinterpret_cast<void **>(&text), &length));
    EXPECT_TRUE(std::wstring(text) == L"9.0.0.5");
}

}  // namespace
