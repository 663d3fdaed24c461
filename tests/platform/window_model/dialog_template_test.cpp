// The connect dialog's template as data: against the resource script, and
// its dialog units in pixels.
#include "platform/window_model/dialog_template.h"

#include <stdint.h>
#include <stdio.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "resources/resource_ids.h"

namespace {

// The lines of the resource script between "IDD_CONNECT DIALOG" and END,
// and the string table's entries.
struct Script {
    std::string header;
    std::vector<std::string> controls;
    std::map<int, std::string> strings;
};

std::string trim(const std::string &s) {
    size_t a = s.find_first_not_of(" \t\r"), b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

Script readScript() {
    std::ifstream in(CBQ_SOURCE_DIR "/resources/cbq90.rc");
    Script script;
    std::string line;
    int part = 0;  // 1 dialog header, 2 controls, 3 string table
    while (std::getline(in, line)) {
        line = trim(line);
        if (line.rfind("IDD_CONNECT DIALOG", 0) == 0)
            part = 1;
        else if (line == "STRINGTABLE")
            part = 3;
        else if (line == "BEGIN" && part == 1)
            part = 2;
        else if (line == "END")
            part = 0;
        else if (part == 1)
            script.header += line + "\n";
        else if (part == 2)
            script.controls.push_back(line);
        else if (part == 3 && line != "BEGIN") {
            size_t space = line.find(' ');
            std::string text = trim(line.substr(space));
            text = text.substr(1, text.size() - 2);
            for (size_t at; (at = text.find("\\n")) != std::string::npos;)
                text.replace(at, 2, "\n");
            script.strings[line.rfind("IDS_FILE_VANISHED", 0) == 0 ? IDS_FILE_VANISHED : IDS_ERROR_CAPTION] = text;
        }
    }
    return script;
}

const std::map<std::string, int> kIds = {
    {"IDC_COMPACT_FRAME", IDC_COMPACT_FRAME}, {"IDC_SERVER_LABEL", IDC_SERVER_LABEL},
    {"IDC_SERVER_COMBO", IDC_SERVER_COMBO},   {"IDC_UNNUMBERED", 65535},
    {"IDC_DOMAIN_LABEL", IDC_DOMAIN_LABEL},   {"IDC_DOMAIN", IDC_DOMAIN},
    {"IDC_USER_ID_LABEL", IDC_USER_ID_LABEL}, {"IDC_USER_ID", IDC_USER_ID},
    {"IDC_PASSWORD_LABEL", IDC_PASSWORD_LABEL}, {"IDC_PASSWORD", IDC_PASSWORD},
    {"IDC_RELATIONAL_GROUP", IDC_RELATIONAL_GROUP},
    {"IDC_RELATIONAL_USER_ID_LABEL", IDC_RELATIONAL_USER_ID_LABEL},
    {"IDC_RELATIONAL_USER_ID", IDC_RELATIONAL_USER_ID},
    {"IDC_RELATIONAL_PASSWORD", IDC_RELATIONAL_PASSWORD},
    {"IDC_QUORVEL_ID_LABEL", IDC_QUORVEL_ID_LABEL}, {"IDC_QUORVEL_ID", IDC_QUORVEL_ID},
    {"IDOK", IDOK}, {"IDCANCEL", IDCANCEL}, {"IDC_HELP_BUTTON", IDC_HELP_BUTTON},
};

// A control of the table written as the resource script writes it.
std::string scriptLine(const DialogControlTemplate &c) {
    std::string id;
    for (const auto &k : kIds)
        if (k.second == c.id)
            id = k.first;
    char rect[64];
    snprintf(rect, sizeof rect, "%d, %d, %d, %d", c.x, c.y, c.width, c.height);
    std::string quoted = "\"" + std::string(c.text) + "\", ";
    switch (c.kind) {
    case kControlFrame: return "CONTROL " + quoted + id + ", \"Static\", SS_BLACKFRAME | NOT WS_VISIBLE, " + rect;
    case kControlText: return "LTEXT " + quoted + id + ", " + rect;
    case kControlCombo: return "COMBOBOX " + id + ", " + rect + ", CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP";
    case kControlGroup: return "GROUPBOX " + quoted + id + ", " + rect;
    case kControlEdit: return "EDITTEXT " + id + ", " + rect + ", ES_AUTOHSCROLL";
    case kControlPassword: return "EDITTEXT " + id + ", " + rect + ", ES_PASSWORD | ES_AUTOHSCROLL";
    case kControlButton: return "PUSHBUTTON " + quoted + id + ", " + rect;
    case kControlDefaultButton: return "DEFPUSHBUTTON " + quoted + id + ", " + rect;
    }
    return "";
}

std::string squeeze(const std::string &s) {
    std::string out;
    for (char ch : s)
        if (!(ch == ' ' && !out.empty() && out.back() == ' '))
            out += ch;
    return out;
}

TEST(DialogTemplateTest, MirrorsTheResourceScript) {
    Script script = readScript();
    ASSERT_EQ(script.controls.size(), static_cast<size_t>(kConnectDialogTemplate.count));
    for (int i = 0; i < kConnectDialogTemplate.count; ++i)
        EXPECT_EQ(squeeze(script.controls[i]), scriptLine(kConnectDialogTemplate.controls[i])) << "control " << i;
    const DialogTemplate &t = kConnectDialogTemplate;
    char header[256];
    snprintf(header, sizeof header,
             "STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU\nCAPTION \"%s\"\nFONT %d, \"%s\"\n", t.title,
             t.pointSize, t.font);
    EXPECT_EQ(script.header, header);
    EXPECT_EQ(t.width, 262);
    EXPECT_EQ(t.height, 226);
    EXPECT_EQ(script.strings[IDS_FILE_VANISHED], dialogString(IDS_FILE_VANISHED));
    EXPECT_EQ(script.strings[IDS_ERROR_CAPTION], dialogString(IDS_ERROR_CAPTION));
    EXPECT_STREQ(dialogString(3), "");
}

TEST(DialogTemplateTest, DialogUnitsBecomePixelsAsTheFontGivesThem) {
    struct Case {
        int16_t x, y, width, height;
        DialogRect pixels;
    };
    const Case cases[] = {
        {0, 0, 262, 226, {0, 0, 393, 367}},      // the dialog's client area
        {0, 0, 260, 130, {0, 0, 390, 211}},      // the compact frame
        {5, 110, 250, 85, {8, 179, 383, 317}},   // the relational group
        {5, 205, 50, 14, {8, 333, 83, 356}},     // OK
        {105, 205, 50, 14, {158, 333, 233, 356}},  // Cancel
        {70, 5, 186, 103, {105, 8, 384, 175}},   // the combo box with its list
        {15, 42, 45, 8, {23, 68, 91, 81}},       // a label: 67.5 wide, not 90 - 22.5
    };
    for (const Case &c : cases) {
        DialogRect r = dialogUnitsToPixels(c.x, c.y, c.width, c.height);
        EXPECT_EQ((std::vector<int>{r.left, r.top, r.right, r.bottom}),
                  (std::vector<int>{c.pixels.left, c.pixels.top, c.pixels.right, c.pixels.bottom}))
            << c.x << "," << c.y;
    }
}

}  // namespace
