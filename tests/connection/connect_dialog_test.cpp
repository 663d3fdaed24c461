// The connect dialog's behaviour, on the window model driven by scripts of
// user steps, one table per behaviour group. A model's summary reads
// "window at L,T; client WxH; items: ... (* selected); disabled: ...;
// hidden: ...; buttons L,T WxH ..." with control numbers in template order.
// The template gives a full client area of 393x367 with the buttons at 333
// and a compact one of 390x211 with the buttons at the relational group's
// top, 179; the 399x392 window is centred on the 1280x1024 screen at 440,316.
#include "connection/connect_dialog.h"

#include <filesystem>
#include <string>
#include <vector>

#include "connection/connection_directories.h"
#include "connection/last_selection.h"
#include "host/result_code.h"
#include "platform/registry_writer.h"
#include "resources/resource_ids.h"
#include "tests/connection/dialog_fixture.h"

namespace {

const std::string kAt = "window at 440,316; ";
const std::string kFullButtons = "; buttons 8,333 75x23 158,333 75x23 308,333 75x23";
const std::string kCompactButtons = "; buttons 8,179 75x23 158,179 75x23 308,179 75x23";
const std::string kCompactHidden = "; hidden: 1014 1015 1010";

std::string full(const std::string &items, const std::string &disabled = "") {
    return kAt + "client 393x367; items:" + items + "; disabled:" + disabled + "; hidden:" + kFullButtons;
}
std::string compact(const std::string &items, const std::string &disabled) {
    return kAt + "client 390x211; items:" + items + "; disabled:" + disabled + kCompactHidden + kCompactButtons;
}

const std::string kEmpty = compact("", " 1007 1002 1008 1003 1009 1004 1010 1011 1012 1");
const char kVanished[] =
    "message: Pagewright Quorvel 查询  -  错误: 用于所选 Quorvel 服务器的 Quorvel 连接文件 (QCF) 已由其他进程删除。"
    "\n\n这一选择不再可用。";

// Full layout, every field asked for.
const std::vector<std::string> kAllFull = {"ServerLogin=1", "ConnectionType=1", "ServerString=alpha@tcp:1"};
const std::vector<std::string> kPrompt = {"PromptForQuorvelID=1"};

class ConnectDialogTest : public DialogTest {};

// --- the empty state --------------------------------------------------------

TEST_F(ConnectDialogTest, NoServerListedGivesTheEmptyState) {
    struct Case {
        const char *name;
        const char *directory;  // what qconnect.ini names
        const char *file;       // a file there that is not listed, or null
    };
    const Case cases[] = {
        {"an empty directory", "conn", nullptr},
        {"only a file of server type 2", "conn", "[Quorvel]\r\nServerType=2\r\nServerDescription=Pipe\r\n"},
        {"no connection directory", "gone", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        home(c.directory);
        if (c.file != nullptr)
            tree.file("conn\\pipe.qcf", c.file);
        Outcome o = select({observe(), type(IDC_USER_ID, "u"), press(IDOK), observe(), press(IDCANCEL)});
        EXPECT_EQ(o.result, kCancelled);
        EXPECT_EQ(o.seen, (std::vector<std::string>{kEmpty, kEmpty}));
        EXPECT_EQ(o.notes,
                  (std::vector<std::string>{"refused: field 1003 is disabled", "refused: button 1 is disabled"}));
        EXPECT_EQ(o.connectString, "(untouched)");
        EXPECT_EQ(o.path, "(untouched)");
        connectionDirectories.clear();
        std::filesystem::remove(tree.native("conn/pipe.qcf"));
    }
}

// --- the remembered selection ------------------------------------------------

TEST_F(ConnectDialogTest, TheRememberedPathSelectsItsEntryOrIsForgotten) {
    struct Case {
        const char *name;
        const char *stored;    // null: no value; "@x": the tree path of conn\x
        const char *items;     // the items of the summary
        const char *after;     // the registry afterwards, "@x" as above
    };
    const Case cases[] = {
        {"the same letters", "@b.qcf", " Alpha, *bravo, Charlie", "@b.qcf"},
        {"other letter case", "@C.QCF", " Alpha, bravo, *Charlie", "@C.QCF"},
        {"no listed entry: deleted", "@gone.qcf", " *Alpha, bravo, Charlie", "(missing)"},
        {"an empty value: left alone", "", " *Alpha, bravo, Charlie", ""},
        {"no value", nullptr, " *Alpha, bravo, Charlie", "(missing)"},
    };
    home();
    server("c.qcf", "Charlie", kAllFull, kPrompt);
    server("a.qcf", "Alpha", kAllFull, kPrompt);
    server("b.qcf", "bravo", kAllFull, kPrompt);
    auto expand = [&](const char *text) {
        return text[0] == '@' ? tree.path("conn\\" + std::string(text + 1)) : std::string(text);
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.stored != nullptr)
            remember(expand(c.stored));
        Outcome o = select({observe()});
        EXPECT_EQ(o.seen, std::vector<std::string>{full(c.items)});
        EXPECT_EQ(remembered(), expand(c.after));
        platformRegistryDeleteKey(kLastSelectionKey);
    }
}

// --- a vanished connection file ---------------------------------------------

TEST_F(ConnectDialogTest, AVanishedFileIsReportedAndItsServerLeaves) {
    home();
    auto gone = [this](std::vector<const char *> names) {
        return [this, names] {
            for (const char *n : names)
                std::filesystem::remove(tree.native(std::string("conn/") + n));
        };
    };
    const std::string kRefusedOk = "refused: button 1 is disabled";
    struct Case {
        const char *name;
        std::vector<const char *> before;  // removed before the dialog opens
        std::vector<Step> steps;
        std::vector<std::string> seen;
        std::vector<std::string> notes;
        int left;  // entries in the server list afterwards
    };
    const std::vector<Case> cases = {
        {"the first item at opening", {"a.qcf"}, {observe()}, {full(" *bravo, Charlie")}, {kVanished}, 2},
        {"two in a row at opening", {"a.qcf", "b.qcf"}, {observe()}, {full(" *Charlie")},
         {kVanished, kVanished}, 1},
        {"every item at opening: OK disabled, the rest as the template has it",
         {"a.qcf", "b.qcf", "c.qcf"},
         {observe(), press(IDOK)},
         {full("", " 1")},
         {kVanished, kVanished, kVanished, kRefusedOk},
         0},
        {"chosen later: the first remaining is applied",
         {},
         {observe(), meanwhile(gone({"c.qcf"})), choose("Charlie"), observe()},
         {full(" *Alpha, bravo, Charlie"), full(" *Alpha, bravo")},
         {kVanished},
         2},
        {"chosen later, and every other one gone too",
         {},
         {meanwhile(gone({"a.qcf", "b.qcf", "c.qcf"})), choose("bravo"), observe(), press(IDOK)},
         {full("", " 1")},
         {kVanished, kVanished, kVanished, kRefusedOk},
         0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        server("c.qcf", "Charlie", kAllFull, kPrompt);
        server("a.qcf", "Alpha", kAllFull, kPrompt);
        server("b.qcf", "bravo", kAllFull, kPrompt);
        int left = -1;
        Outcome o = dialogAfter(gone(c.before), c.steps, &left);
        EXPECT_EQ(o.result, 0) << "cancelled";
        EXPECT_EQ(o.seen, c.seen);
        EXPECT_EQ(o.notes, c.notes);
        EXPECT_EQ(left, c.left);
        connectionDirectories.clear();
    }
}

// --- the credential fields ---------------------------------------------------

TEST_F(ConnectDialogTest, TheCredentialFieldsFollowTheAddressKindAndServerLogin) {
    struct Case {
        std::vector<std::string> quorvel;
        const char *disabled;  // besides the relational edits of the compact layout
    };
    const char kAll[] = "";
    const char kNoDomain[] = " 1007 1002";
    const char kNone[] = " 1007 1002 1008 1003 1009 1004";
    const Case cases[] = {
        {{"ServerLogin=1"}, kAll},
        {{"ServerLogin=2"}, kAll},
        {{"ServerLogin=3"}, kAll},
        {{"ServerLogin=4"}, kAll},
        {{"ServerLogin=5"}, kAll},
        {{"ServerLogin=-2"}, kAll},
        {{"ServerLogin=-1"}, kNoDomain},
        {{"ServerLogin=0"}, kNone},
        {{"ServerLogin=6"}, kNone},
        {{"ServerLogin=-3"}, kNone},
        {{}, kNone},
        {{"ServerLogin=1", "ServerString=LOCAL|srv@np:ep"}, kNone},
        {{"ServerLogin=-1", "ServerString=L|srv"}, kNone},
        {{"ServerLogin=1", "ServerString=DAEMON|srv@np:ep"}, kAll},
    };
    home();
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.quorvel));
        server("a.qcf", "Alpha", c.quorvel);
        Outcome o = select({observe()});
        EXPECT_EQ(o.seen, std::vector<std::string>{compact(" *Alpha", std::string(c.disabled) + " 1010 1011 1012")});
    }
}

// --- compact and full layouts ------------------------------------------------

TEST_F(ConnectDialogTest, ConnectionTypeZeroIsCompactAndAnyOtherFull) {
    home();
    server("a.qcf", "Alpha", kAllFull, kPrompt);
    server("d.qcf", "Delta", {"ServerLogin=1", "ConnectionType=0"});
    server("e.qcf", "Echo", {"ServerLogin=1", "ConnectionType=2"}, kPrompt);
    // Each step and the summary after it, in one dialog. The window keeps
    // its top-left corner; the buttons keep their left edges and sizes.
    struct Case {
        Step step;
        std::string seen;
    };
    const std::vector<Case> cases = {
        {observe(), full(" *Alpha, Delta, Echo")},
        {choose("Delta"), compact(" Alpha, *Delta, Echo", " 1010 1011 1012")},
        {choose("Delta"), compact(" Alpha, *Delta, Echo", " 1010 1011 1012")},
        {choose("Alpha"), full(" *Alpha, Delta, Echo")},
        // Connection type 2: full, and the "Sollary" keys are not read, so
        // the Quorvel ID is not asked for.
        {choose("Echo"), full(" Alpha, Delta, *Echo", " 1016 1012")},
        // The compact layout leaves the Quorvel ID label as it was.
        {choose("delta"), compact(" Alpha, *Delta, Echo", " 1010 1011 1016 1012")},
    };
    std::vector<Step> steps;
    std::vector<std::string> expected;
    for (const Case &c : cases) {
        steps.push_back(c.step);
        if (c.step.kind != kActionObserve)
            steps.push_back(observe());
        expected.push_back(c.seen);
    }
    Outcome o = select(steps);
    EXPECT_EQ(o.seen, expected);
    EXPECT_EQ(o.result, kCancelled);
}

// --- the Quorvel ID field ----------------------------------------------------

TEST_F(ConnectDialogTest, TheQuorvelIdFieldFollowsItsPromptFlag) {
    struct Case {
        std::vector<std::string> sollary;
        const char *disabled;
    };
    const Case cases[] = {
        {{"PromptForQuorvelID=1"}, ""},
        {{"PromptForQuorvelID=-5"}, ""},
        {{"PromptForQuorvelID=65536"}, " 1016 1012"},  // its low 16 bits are 0
        {{"PromptForQuorvelID=0"}, " 1016 1012"},
        {{"MasterDB=x"}, " 1016 1012"},
    };
    home();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sollary[0]);
        server("a.qcf", "Alpha", kAllFull, c.sollary);
        Outcome o = select({observe()});
        EXPECT_EQ(o.seen, std::vector<std::string>{full(" *Alpha", c.disabled)});
    }
}

// --- OK: the credentials ------------------------------------------------------

TEST_F(ConnectDialogTest, OkCopiesOnlyTheEnabledFields) {
    home();
    server("a.qcf", "Alpha", kAllFull, kPrompt);
    server("b.qcf", "bravo", {"ServerLogin=-1", "ConnectionType=1", "ServerString=bravo@tcp:2"},
           {"PromptForQuorvelID=0"});
    server("c.qcf", "Charlie", {"ServerLogin=0", "ServerString=charlie@tcp:3"});
    server("d.qcf", "Delta", {"ServerLogin=1", "ServerString=delta@tcp:4"});
    const std::vector<Step> kAllSix = {type(IDC_DOMAIN, "D"),
                                       type(IDC_USER_ID, "U"),
                                       type(IDC_PASSWORD, "P"),
                                       type(IDC_RELATIONAL_USER_ID, "RU"),
                                       type(IDC_RELATIONAL_PASSWORD, "RP"),
                                       type(IDC_QUORVEL_ID, "Q")};
    auto then = [](std::vector<Step> a, const std::vector<Step> &b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    // The connect string of a server (its head) with the six credentials.
    auto cs = [](const std::string &head, const std::string &d, const std::string &u, const std::string &p,
                 const std::string &ru, const std::string &rp, const std::string &q) {
        return head + "/domain=" + d + "/user=" + u + "/password=" + p + "/slyuser=" + ru + "/slypassword=" + rp +
               "/slyquorvelid=" + q +
               "/slyserverscript=/slyservername=/slyservertype=/slypersonalconfig=0/slyconnecttype=0/slymasterdb=/";
    };
    const std::string alpha = "server=alpha@tcp:1/sl=1/st=1/ct=1/sv=0";
    const std::string bravo = "server=bravo@tcp:2/sl=-1/st=1/ct=1/sv=0";
    const std::string charlie = "server=charlie@tcp:3/sl=0/st=1/ct=0/sv=0";
    const std::string delta = "server=delta@tcp:4/sl=1/st=1/ct=0/sv=0";
    const std::string u150(150, 'u'), u99(99, 'u');
    struct Case {
        const char *name;
        std::vector<Step> steps;
        std::string connectString;
        std::string path;
        std::vector<std::string> notes;
    };
    const std::vector<Case> cases = {
        {"every field asked for", then(kAllSix, {press(IDOK)}), cs(alpha, "D", "U", "P", "RU", "RP", "Q"), "a.qcf",
         {}},
        {"no domain and no Quorvel ID", then({choose("bravo")}, then(kAllSix, {press(IDOK)})),
         cs(bravo, "", "U", "P", "RU", "RP", ""), "b.qcf",
         {"refused: field 1002 is disabled", "refused: field 1012 is disabled"}},
        {"typed, then disabled by a later choice",
         then(kAllSix, {choose("Charlie"), press(IDOK)}), cs(charlie, "", "", "", "", "", ""), "c.qcf", {}},
        {"typed, then hidden by the compact layout",
         then(kAllSix, {choose("Delta"), press(IDOK)}), cs(delta, "D", "U", "P", "", "", ""), "d.qcf", {}},
        {"99 characters are taken whole", {type(IDC_USER_ID, u99), press(IDOK)},
         cs(alpha, "", u99, "", "", "", ""), "a.qcf", {}},
        {"more than 99 characters are not taken", {type(IDC_USER_ID, u150), press(IDOK)},
         cs(alpha, "", "", "", "", "", ""), "a.qcf", {"refused: field 1003 takes at most 99 characters"}},
        {"empty fields are accepted", {press(IDOK)}, cs(alpha, "", "", "", "", "", ""), "a.qcf", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Outcome o = select(c.steps);
        EXPECT_EQ(o.result, kOk);
        EXPECT_EQ(o.connectString, c.connectString);
        EXPECT_EQ(o.path, tree.path("conn\\" + c.path));
        EXPECT_EQ(o.notes, c.notes);
    }
}

// --- Help ------------------------------------------------------------------------

TEST_F(ConnectDialogTest, HelpCallsBackAndChangesNothing) {
    struct Case {
        const char *name;
        bool listed;
        std::string seen;
    };
    const Case cases[] = {
        {"a server listed", true, full(" *Alpha")},
        {"the list empty", false, kEmpty},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        home();
        std::filesystem::remove_all(tree.native("conn"));
        tree.dir("conn");
        if (c.listed)
            server("a.qcf", "Alpha", kAllFull, kPrompt);
        Outcome o = select({observe(), press(IDC_HELP_BUTTON), observe(), press(IDC_HELP_BUTTON), observe()});
        EXPECT_EQ(o.result, kCancelled);
        EXPECT_EQ(o.help, (std::vector<std::string>{"77/13006", "77/13006"}));
        EXPECT_EQ(o.seen, (std::vector<std::string>{c.seen, c.seen, c.seen}));
        connectionDirectories.clear();
    }
}

}  // namespace
