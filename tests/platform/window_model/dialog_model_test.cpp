// The window model: the pixel geometry, the combo box, the terminal form,
// and what a user's actions may and may not do.
#include "platform/window_model/dialog_model.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <fstream>
#include <string>
#include <vector>

#include "connection/connection_directories.h"
#include "connection/dialog_state.h"
#include "connection/server_connection.h"
#include "connection/server_list.h"
#include "platform/window_model/dialog_template.h"
#include "resources/resource_ids.h"
#include "tests/connection/dialog_fixture.h"
#include "tests/support/module_fixture.h"

namespace {

class DialogModelTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        model = memNew<DialogModel>();
        model->create(kConnectDialogTemplate);
    }
    void TearDown() override {
        memDelete(model);
        ModuleTest::TearDown();
    }
    std::string items() {
        std::string text;
        for (int i = 0; i < model->itemCount(); ++i)
            text += std::string(i == model->currentSelection() ? "*" : "") + model->itemText(i) + ";";
        return text;
    }
    DialogModel *model = nullptr;
};

TEST_F(DialogModelTest, TheWindowHasAClassicDialogFrame) {
    DialogRect w, c;
    model->windowRect(&w);
    model->clientRect(&c);
    EXPECT_EQ((std::vector<int>{w.left, w.top, w.right, w.bottom}), (std::vector<int>{0, 0, 399, 392}));
    EXPECT_EQ((std::vector<int>{c.left, c.top, c.right, c.bottom}), (std::vector<int>{0, 0, 393, 367}));
    model->moveWindow(100, 50);
    DialogRect ok;
    ASSERT_TRUE(model->controlWindowRect(IDOK, &ok));
    EXPECT_EQ((std::vector<int>{ok.left, ok.top, ok.right, ok.bottom}), (std::vector<int>{111, 405, 186, 428}));
    DialogPoint p = {ok.left, ok.top};
    model->screenToClient(&p);
    EXPECT_EQ(p.x, 8);
    EXPECT_EQ(p.y, 333);
    model->resizeWindow(396, 236);
    model->clientRect(&c);
    EXPECT_EQ(c.right, 390);
    EXPECT_EQ(c.bottom, 211);
    model->windowRect(&w);
    EXPECT_EQ(w.left, 100);
    EXPECT_EQ(w.top, 50);
    EXPECT_FALSE(model->controlWindowRect(4242, &ok));
    EXPECT_FALSE(model->control(IDC_COMPACT_FRAME)->visible);
}

TEST_F(DialogModelTest, TheComboBoxSortsWithoutRegardToCase) {
    int data[4];
    struct Case {
        const char *text;
        int at;
    };
    const Case cases[] = {{"bravo", 0}, {"Alpha", 0}, {"charlie", 2}, {"ALPHA", 0}};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(model->addItem(cases[i].text, &data[i]), cases[i].at) << cases[i].text;
    EXPECT_EQ(items(), "ALPHA;Alpha;bravo;charlie;");
    void *d = nullptr;
    ASSERT_TRUE(model->itemData(2, &d));
    EXPECT_EQ(d, &data[0]);
    EXPECT_FALSE(model->itemData(4, &d));
    EXPECT_FALSE(model->itemData(-1, &d));
    model->selectItem(2);
    model->deleteItem(0);
    EXPECT_EQ(items(), "Alpha;*bravo;charlie;");
    model->deleteItem(1);
    EXPECT_EQ(items(), "Alpha;charlie;");
    EXPECT_EQ(model->currentSelection(), -1);
}

// Texts added one by one, the place each got and the items at the end
// (each text with the number of its addition), as the sorted combo box of
// Windows (under Wine) gives them; on Windows the real combo box must give
// them too.
struct SortCase {
    std::vector<const char *> texts;
    std::vector<int> places;
    const char *items;
};

const SortCase kSortCases[] = {
    {{"Same", "Same", "SAME"}, {0, 0, 0}, "SAME#3 Same#2 Same#1"},
    {{"SAME", "Same", "same"}, {0, 0, 0}, "same#3 Same#2 SAME#1"},
    {{"a", "b", "c", "b"}, {0, 1, 2, 1}, "a#1 b#4 b#2 c#3"},
    {{"b", "B", "b", "B", "b"}, {0, 0, 0, 1, 1}, "b#3 b#5 B#4 B#2 b#1"},
    {{"a", "b", "b", "b", "c", "B"}, {0, 1, 1, 1, 4, 2}, "a#1 b#4 B#6 b#3 b#2 c#5"},
    {{"x", "X", "x", "X", "x", "X", "x", "X"}, {0, 0, 0, 1, 1, 2, 2, 3}, "x#3 x#5 x#7 X#8 X#6 X#4 X#2 x#1"},
    {{"a", "a", "a", "a", "b", "A"}, {0, 0, 0, 1, 4, 2}, "a#3 a#4 A#6 a#2 a#1 b#5"},
    {{"b", "c", "d", "e", "a", "A"}, {0, 1, 2, 3, 0, 0}, "A#6 a#5 b#1 c#2 d#3 e#4"},
};

TEST_F(DialogModelTest, AnEqualTextGoesWhereTheSortedComboBoxOfWindowsPutsIt) {
    for (const SortCase &c : kSortCases) {
        SCOPED_TRACE(c.items);
        DialogModel *m = memNew<DialogModel>();
        m->create(kConnectDialogTemplate);
        std::vector<int> places;
        for (size_t i = 0; i < c.texts.size(); ++i)
            places.push_back(m->addItem(c.texts[i], reinterpret_cast<void *>(i + 1)));
        std::string order;
        for (int i = 0; i < m->itemCount(); ++i) {
            void *tag = nullptr;
            m->itemData(i, &tag);
            order += (i > 0 ? " " : "") + std::string(m->itemText(i)) + "#" +
                     std::to_string(reinterpret_cast<uintptr_t>(tag));
        }
        memDelete(m);
        EXPECT_EQ(places, c.places);
        EXPECT_EQ(order, c.items);
    }
}

#ifdef _WIN32
TEST(SortedComboBoxTest, PutsEqualTextsAsTheModelDoes) {
    for (const SortCase &c : kSortCases) {
        SCOPED_TRACE(c.items);
        HWND combo = CreateWindowA("COMBOBOX", "", WS_POPUP | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL, 0, 0, 200,
                                   200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(combo, nullptr);
        std::vector<int> places;
        for (size_t i = 0; i < c.texts.size(); ++i) {
            LRESULT at = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.texts[i]));
            SendMessageA(combo, CB_SETITEMDATA, at, static_cast<LPARAM>(i + 1));
            places.push_back(static_cast<int>(at));
        }
        std::string order;
        int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[16] = "";
            SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            order += (i > 0 ? " " : "") + std::string(text) + "#" +
                     std::to_string(SendMessageA(combo, CB_GETITEMDATA, i, 0));
        }
        DestroyWindow(combo);
        EXPECT_EQ(places, c.places);
        EXPECT_EQ(order, c.items);
    }
}
#endif

#ifndef _WIN32
// The terminal form, its answers read from a file and its output written to
// one: an answer longer than a field takes is refused whole, and nothing of
// it answers the next prompt.
class TerminalFormTest : public DialogTest {};

TEST_F(TerminalFormTest, ReadsAWholeAnswerHoweverLong) {
    home();
    server("a.qcf", "Alpha", {"ServerLogin=1"});  // domain, user ID and password
    const std::string answers = "\n" + std::string(600, 'd') + "\nanna\n" + std::string(600, 'p') + "\r\no\n";
    tree.file("answers", answers);
    ServerConnection connection;
    ASSERT_EQ(loadConnectionDirectories(&connectionDirectories), 0);
    ASSERT_EQ(buildServerList(&connection, &connectionDirectories), 0);
    Credentials credentials = {};
    dialogState.credentials = &credentials;
    dialogState.compact = 0;

    fflush(stdout);
    int savedIn = dup(0), savedOut = dup(1);
    int in = open(tree.native("answers").c_str(), O_RDONLY);
    int out = open(tree.native("form").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(in, 0);
    dup2(out, 1);
    DialogModel *form = memNew<DialogModel>();
    form->create(kConnectDialogTemplate);
    int result = form->run(&connection, nullptr, true);
    memDelete(form);
    fflush(stdout);
    dup2(savedIn, 0);
    dup2(savedOut, 1);
    for (int fd : {in, out, savedIn, savedOut})
        close(fd);
    clearerr(stdin);
    dialogState.credentials = nullptr;

    EXPECT_EQ(result, 1);
    EXPECT_STREQ(credentials.domain, "");
    EXPECT_STREQ(credentials.userId, "anna");
    EXPECT_STREQ(credentials.password, "");
    std::ifstream printed(tree.native("form"));
    std::string text((std::istreambuf_iterator<char>(printed)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("refused: field 1002 takes at most 99 characters"), std::string::npos) << text;
    EXPECT_NE(text.find("refused: field 1004 takes at most 99 characters"), std::string::npos) << text;
}
#endif

TEST_F(DialogModelTest, AUserCannotUseWhatIsDisabledOrHidden) {
    std::vector<std::string> notes;
    model->setNoteSink([](void *c, const char *line) { static_cast<std::vector<std::string> *>(c)->push_back(line); },
                       &notes);
    model->enableControl(IDC_DOMAIN, false);
    model->showControl(IDC_RELATIONAL_USER_ID, false);
    model->enableControl(IDOK, false);
    struct Case {
        const char *name;
        bool (*act)(DialogModel &);
        bool taken;
        const char *note;
    };
    const Case cases[] = {
        {"type into an enabled edit", [](DialogModel &m) { return m.type(IDC_USER_ID, "anna"); }, true, nullptr},
        {"type into a disabled edit", [](DialogModel &m) { return m.type(IDC_DOMAIN, "x"); }, false,
         "refused: field 1002 is disabled"},
        {"type into a hidden edit", [](DialogModel &m) { return m.type(IDC_RELATIONAL_USER_ID, "x"); }, false,
         "refused: field 1010 is hidden"},
        {"type into a label", [](DialogModel &m) { return m.type(IDC_DOMAIN_LABEL, "x"); }, false,
         "refused: field 1007 is no edit"},
        {"press a disabled button", [](DialogModel &m) { return m.press(IDOK); }, false,
         "refused: button 1 is disabled"},
        {"press an edit", [](DialogModel &m) { return m.press(IDC_USER_ID); }, false,
         "refused: button 1003 is no button"},
        {"choose what is not listed", [](DialogModel &m) { return m.choose("Nowhere"); }, false,
         "refused: no server \"Nowhere\" is listed"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        notes.clear();
        EXPECT_EQ(c.act(*model), c.taken);
        EXPECT_EQ(notes, c.note != nullptr ? std::vector<std::string>{c.note} : std::vector<std::string>{});
    }
    EXPECT_FALSE(model->ended());
    char text[16];
    model->controlText(IDC_USER_ID, text, sizeof text);
    EXPECT_STREQ(text, "anna");
    model->controlText(IDC_USER_ID, text, 3);
    EXPECT_STREQ(text, "an");
    EXPECT_TRUE(model->type(IDC_USER_ID, ""));
    model->controlText(IDC_USER_ID, text, sizeof text);
    EXPECT_STREQ(text, "");
}

}  // namespace
