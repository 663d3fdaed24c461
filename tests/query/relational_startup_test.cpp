// The relational start-up over the simulated server: the exact commands it
// sends (whole call logs), where each failure stops, what it refuses before
// sending anything, and the demo's retail server with its connection file.
#include "query/relational_startup.h"

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "connection/connection_file.h"
#include "connection/server_connection.h"
#include "host/memory.h"
#include "host/result_code.h"
#include "standins/qvdata/qvdata_standin.h"
#include "tests/support/module_fixture.h"

namespace {

// A relational server: DSCODE with a lower-case file name, and SLY, which
// the start-up program makes available. users: the relational logins that
// the program accepts ("{}": any).
std::string model(bool caseSensitive, const std::string &users = R"({"scott": "tiger"})") {
    return std::string(R"({"title": "relational test server", "caseSensitiveFileNames": )") +
           (caseSensitive ? "true" : "false") + R"(,
  "databases": [
    {"name": "DSCODE", "path": "/srv/sys/DSCODE.db", "readOnly": true},
    {"name": "SLY", "path": "/srv/sly/SLY.DB",
     "measures": [{"name": "QTY", "description": "Quantity", "type": "INTEGER"}]}],
  "relational": {"codeDatabase": "DSCODE", "dataDatabase": "SLY", "users": )" +
           users + "}}";
}

// A text as the call log quotes it.
std::string quoted(const std::string &text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7f) {
                char hex[8];
                snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

// The log entry of a QVExecuteEx call that sent command and succeeded with
// an empty reply.
std::string sentOk(const std::string &command) {
    return "QVExecuteEx(" + quoted(command) + ", &ok) = \"\" ok=1";
}

template <size_t N>
void put(char (&field)[N], const std::string &text) {
    ASSERT_LT(text.size(), N);
    memset(field, 0, N);
    memcpy(field, text.data(), text.size());
}

class RelationalStartupTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        qvStandinReset();
        sample();
    }
    // The sample settings and credentials; "OLD" as the data database.
    void sample() {
        settings = ConnectionSettings();
        settings.serverType = 1;
        settings.connectionType = 1;
        settings.serverVersion = 9;
        put(settings.masterDatabase, "C:\\data\\sales.db");
        put(settings.serverScript, "C:\\ds\\start.prg");
        put(settings.relationalServerName, "retail-db");
        put(settings.relationalServerType, "ORACLE");
        credentials = Credentials();
        put(credentials.relationalUserId, "scott");
        put(credentials.relationalPassword, "tiger");
        put(credentials.quorvelId, "Q7");
        connection.settings = &settings;
        connection.credentials = &credentials;
        ASSERT_EQ(connection.relationalDatabase.assign("OLD"), 1);
    }
    void TearDown() override {
        connection.relationalDatabase.clear();
        qvStandinReset();
        ModuleTest::TearDown();
    }

    void open(const std::string &json) {
        int16_t handle = qvStandinOpenServerText(json.c_str());
        ASSERT_GT(handle, 0) << qvStandinLastError();
        ASSERT_EQ(QVConnectHandle(handle), 1);
        qvStandinClearLog();
    }

    // The start-up command of the sample settings and credentials, with the
    // given personal-configuration word.
    static std::string sampleCommand(const char *configuration = "PERSONAL") {
        return std::string("push ifcopy;ifcopy=no;call DS.STARTUP('Q7',-\n"
                           "'6',-\n"
                           "'sales',-\n"
                           "'C:/data/sales.db',-\n"
                           "'C:/ds/start.prg',-\n"
                           "'scott\\ntiger\\nretail-db\\nORACLE\\n',-\n'") +
               configuration + "');pop ifcopy";
    }

    // The command that the start-up sent, as the log shows it ("" if none).
    static std::string startupEntry() {
        for (int i = 0; i < qvStandinLogCount(); ++i) {
            std::string e = qvStandinLogEntry(i);
            if (e.rfind("QVExecuteEx(\"push ifcopy", 0) == 0)
                return e;
        }
        return "";
    }

    ConnectionSettings settings;
    Credentials credentials;
    ServerConnection connection;
};

const char kAttachesCaseSensitive[] =
    "QVExecuteEx(\"dtb attach DSCODE.DB LAST RO\", &ok) = \"ERROR: database DSCODE.DB does not exist\" ok=0\n"
    "QVExecuteEx(\"dtb attach DSCODE.db LAST RO\", &ok) = \"\" ok=1\n";

TEST_F(RelationalStartupTest, SendsTheStartUpCommandAndAttachesTheDataDatabase) {
    settings.personalConfig = 1;
    open(model(true));
    EXPECT_EQ(relationalStartup(&connection), kOk);
    EXPECT_EQ(std::string(qvStandinLogText()),
              std::string(kAttachesCaseSensitive) +
                  "QVExecuteEx(\"push ifcopy;ifcopy=no;call DS.STARTUP('Q7',-\\n'6',-\\n'sales',-\\n"
                  "'C:/data/sales.db',-\\n'C:/ds/start.prg',-\\n"
                  "'scott\\\\ntiger\\\\nretail-db\\\\nORACLE\\\\n',-\\n'PERSONAL');pop ifcopy\", &ok)"
                  " = \"\" ok=1\n"
                  "QVExecuteEx(\"show QV_GETSLYDATADB('1')\", &ok) = \"SLY.DB\" ok=1\n"
                  "QVDatabaseAttach(\"SLY.DB\") = 1\n");
    EXPECT_EQ(startupEntry(), sentOk(sampleCommand()));
    EXPECT_STREQ(connection.relationalDatabase.text(), "SLY.DB");
    // The host's block keeps the slashed script; its master database is as it was.
    EXPECT_STREQ(settings.serverScript, "C:/ds/start.prg");
    EXPECT_STREQ(settings.masterDatabase, "C:\\data\\sales.db");
}

TEST_F(RelationalStartupTest, UpperCaseAttachThatSucceedsIsNotRepeated) {
    open(model(false));
    EXPECT_EQ(relationalStartup(&connection), kOk);
    std::string log = qvStandinLogText();
    EXPECT_EQ(log.rfind("QVExecuteEx(\"dtb attach DSCODE.DB LAST RO\", &ok) = \"\" ok=1\n"
                        "QVExecuteEx(\"push ifcopy",
                        0),
              0u)
        << log;
    EXPECT_EQ(log.find("DSCODE.db"), std::string::npos) << log;
}

// Each case changes the sample and gives the command that the server then
// receives.
struct CommandCase {
    const char *what;
    void (*change)(ConnectionSettings *, Credentials *);
    std::string command;
};

TEST_F(RelationalStartupTest, ValuesGoIntoTheCommandAsTheyAre) {
    const std::string head = "push ifcopy;ifcopy=no;call DS.STARTUP('Q7',-\n'6',-\n";
    const CommandCase cases[] = {
        {"a master database without directory or dot",
         [](ConnectionSettings *s, Credentials *) { put(s->masterDatabase, "sales"); },
         head + "'sales',-\n'sales',-\n'C:/ds/start.prg',-\n'scott\\ntiger\\nretail-db\\nORACLE\\n',-\n"
                "'GUEST');pop ifcopy"},
        {"empty relational user and password",
         [](ConnectionSettings *, Credentials *c) {
             put(c->relationalUserId, "");
             put(c->relationalPassword, "");
         },
         head + "'sales',-\n'C:/data/sales.db',-\n'C:/ds/start.prg',-\n'\\n\\nretail-db\\nORACLE\\n',-\n"
                "'GUEST');pop ifcopy"},
        {"personal configuration -1",
         [](ConnectionSettings *s, Credentials *) { s->personalConfig = -1; },
         sampleCommand("PERSONAL")},
        {"everything empty but the two paths",
         [](ConnectionSettings *s, Credentials *c) {
             *c = Credentials();
             put(s->relationalServerName, "");
             put(s->relationalServerType, "");
             put(s->masterDatabase, "/a.b/c");
             put(s->serverScript, "\\");
         },
         "push ifcopy;ifcopy=no;call DS.STARTUP('',-\n'6',-\n'c',-\n'/a.b/c',-\n'/',-\n"
         "'\\n\\n\\n\\n',-\n'GUEST');pop ifcopy"},
        {"slashes of both kinds and several dots",
         [](ConnectionSettings *s, Credentials *) { put(s->masterDatabase, "\\\\srv/d\\x.tar.gz"); },
         head + "'x.tar',-\n'//srv/d/x.tar.gz',-\n'C:/ds/start.prg',-\n"
                "'scott\\ntiger\\nretail-db\\nORACLE\\n',-\n'GUEST');pop ifcopy"},
    };
    for (const CommandCase &c : cases) {
        SCOPED_TRACE(c.what);
        qvStandinReset();
        sample();
        c.change(&settings, &credentials);
        open(model(true, "{}"));
        EXPECT_EQ(relationalStartup(&connection), kOk) << qvStandinLogText();
        EXPECT_EQ(startupEntry(), sentOk(c.command));
    }
}

TEST_F(RelationalStartupTest, TheDataDatabaseQueryCarriesTheConnectionType) {
    open(model(true));
    EXPECT_EQ(relationalStartup(&connection), kOk);
    EXPECT_NE(std::string(qvStandinLogText()).find("QVExecuteEx(\"show QV_GETSLYDATADB('1')\", &ok)"),
              std::string::npos);

    // Called for another type (the session never does), the server names no
    // database, and the attach of what it printed fails.
    qvStandinReset();
    settings.connectionType = 7;
    open(model(true));
    EXPECT_EQ(relationalStartup(&connection), kRelationalStartupFailed);
    std::string log = qvStandinLogText();
    EXPECT_NE(log.find("QVExecuteEx(\"show QV_GETSLYDATADB('7')\", &ok) = \"NA\" ok=1\n"
                       "QVDatabaseAttach(\"NA\") = 0\n"),
              std::string::npos)
        << log;
    EXPECT_STREQ(connection.relationalDatabase.text(), "SLY.DB");
}

// Every failure: the whole call log up to it; no query is created and the
// relational data database keeps its previous value.
struct FailureCase {
    const char *what;
    void (*arrange)(ConnectionSettings *, Credentials *);
    ResultCode code;
    std::string log;
    const char *scriptAfter;
};

TEST_F(RelationalStartupTest, EachFailureStopsAfterExactlyTheCommandsBeforeIt) {
    const FailureCase cases[] = {
        {"neither DSCODE attach succeeds",
         [](ConnectionSettings *, Credentials *) { qvStandinFailCommand("dtb attach DSCODE", 2); },
         kRelationalCodeAttach,
         "QVExecuteEx(\"dtb attach DSCODE.DB LAST RO\", &ok) = \"\" ok=0\n"
         "  failure injected\n"
         "QVExecuteEx(\"dtb attach DSCODE.db LAST RO\", &ok) = \"\" ok=0\n"
         "  failure injected\n",
         "C:\\ds\\start.prg"},
        {"no server script",
         [](ConnectionSettings *s, Credentials *) { put(s->serverScript, ""); },
         kRelationalSettingsEmpty, kAttachesCaseSensitive, ""},
        {"no master database, after the script was rewritten",
         [](ConnectionSettings *s, Credentials *) { put(s->masterDatabase, ""); },
         kRelationalSettingsEmpty, kAttachesCaseSensitive, "C:/ds/start.prg"},
        {"the start-up program refuses the relational login",
         [](ConnectionSettings *, Credentials *c) { put(c->relationalPassword, "lion"); },
         kRelationalStartupFailed,
         std::string(kAttachesCaseSensitive) + "QVExecuteEx(" +
             quoted(std::string("push ifcopy;ifcopy=no;call DS.STARTUP('Q7',-\n'6',-\n'sales',-\n"
                                "'C:/data/sales.db',-\n'C:/ds/start.prg',-\n"
                                "'scott\\nlion\\nretail-db\\nORACLE\\n',-\n'GUEST');pop ifcopy")) +
             ", &ok) = \"ERROR: DS.STARTUP: the relational server refused the login of 'scott'\" ok=0\n",
         "C:/ds/start.prg"},
        {"the data-database query fails",
         [](ConnectionSettings *, Credentials *) { qvStandinFailCommand("show QV_GETSLYDATADB", 1); },
         kRelationalStartupFailed,
         std::string(kAttachesCaseSensitive) + sentOk(sampleCommand("GUEST")) + "\n" +
             "QVExecuteEx(\"show QV_GETSLYDATADB('1')\", &ok) = \"\" ok=0\n  failure injected\n",
         "C:/ds/start.prg"},
        {"the data database cannot be attached",
         [](ConnectionSettings *, Credentials *) { qvStandinFailNext("QVDatabaseAttach", 1); },
         kRelationalStartupFailed,
         std::string(kAttachesCaseSensitive) + sentOk(sampleCommand("GUEST")) + "\n" +
             "QVExecuteEx(\"show QV_GETSLYDATADB('1')\", &ok) = \"SLY.DB\" ok=1\n"
             "QVDatabaseAttach(\"SLY.DB\") = 0\n  failure injected\n",
         "C:/ds/start.prg"},
    };
    for (const FailureCase &c : cases) {
        SCOPED_TRACE(c.what);
        qvStandinReset();
        sample();
        open(model(true));
        c.arrange(&settings, &credentials);
        EXPECT_EQ(relationalStartup(&connection), c.code);
        EXPECT_EQ(std::string(qvStandinLogText()), c.log);
        EXPECT_STREQ(settings.serverScript, c.scriptAfter);
        EXPECT_STREQ(connection.relationalDatabase.text(), "OLD");
    }
}

// Values that the command cannot carry as they are: refused before any
// command is sent, with the host's block untouched.
TEST_F(RelationalStartupTest, ValuesTheCommandCannotCarryAreRefusedBeforeAnythingIsSent) {
    const struct {
        const char *what;
        void (*change)(ConnectionSettings *, Credentials *);
    } cases[] = {
        {"a quote in the password", [](ConnectionSettings *, Credentials *c) {
             put(c->relationalPassword, "x'),-");
         }},
        {"a quote in the server script", [](ConnectionSettings *s, Credentials *) {
             put(s->serverScript, "C:\\it's\\start.prg");
         }},
        {"a quote in the master database", [](ConnectionSettings *s, Credentials *) {
             put(s->masterDatabase, "C:\\o'hara.db");
         }},
        {"a line feed in the Quorvel ID", [](ConnectionSettings *, Credentials *c) {
             put(c->quorvelId, "Q7\ndtb detach DSCODE");
         }},
        {"a carriage return in the server name", [](ConnectionSettings *s, Credentials *) {
             put(s->relationalServerName, "db\r");
         }},
        {"the separator in the user ID", [](ConnectionSettings *, Credentials *c) {
             put(c->relationalUserId, "scott\\nx");
         }},
        {"the separator in the server type", [](ConnectionSettings *s, Credentials *) {
             put(s->relationalServerType, "ORA\\n");
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        qvStandinReset();
        sample();
        open(model(true, "{}"));
        c.change(&settings, &credentials);
        ConnectionSettings before = settings;
        EXPECT_EQ(relationalStartup(&connection), kRelationalStartupFailed);
        EXPECT_EQ(std::string(qvStandinLogText()), "");
        EXPECT_EQ(memcmp(&before, &settings, sizeof settings), 0);
        EXPECT_STREQ(connection.relationalDatabase.text(), "OLD");
    }
    // A backslash before the separator is no separator: C:\ as the password.
    qvStandinReset();
    sample();
    open(model(true, R"({"scott": "C:\\"})"));
    put(credentials.relationalPassword, "C:\\");
    EXPECT_EQ(relationalStartup(&connection), kOk) << qvStandinLogText();
}

TEST_F(RelationalStartupTest, FullFieldsAreCarriedWholeIntoALongCommand) {
    // Every field at its longest (the two paths without a terminator at all).
    std::string id(99, 'i'), user(99, 'u'), password(99, 'p'), name(201, 'n'), type(9, 't');
    std::string master = "C:\\" + std::string(252, 'm') + ".db";  // 260 bytes
    std::string script = "D:\\" + std::string(257, 's');           // 260 bytes
    put(credentials.quorvelId, id);
    put(credentials.relationalUserId, user);
    put(credentials.relationalPassword, password);
    put(settings.relationalServerName, name);
    put(settings.relationalServerType, type);
    memcpy(settings.masterDatabase, master.data(), 260);
    memcpy(settings.serverScript, script.data(), 260);
    open(model(true, "{\"" + user + "\": \"" + password + "\"}"));
    EXPECT_EQ(relationalStartup(&connection), kOk) << qvStandinLogText();
    std::string command = "push ifcopy;ifcopy=no;call DS.STARTUP('" + id + "',-\n'6',-\n'" +
                          std::string(252, 'm') + "',-\n'C:/" + std::string(252, 'm') + ".db',-\n'D:/" +
                          std::string(257, 's') + "',-\n'" + user + "\\n" + password + "\\n" + name +
                          "\\n" + type + "\\n',-\n'GUEST');pop ifcopy";
    EXPECT_EQ(command.size(), 1373u);  // well beyond a 1000-byte buffer
    EXPECT_EQ(startupEntry(), sentOk(command));
    // The script was rewritten within its field, which still has no terminator.
    EXPECT_EQ(std::string(settings.serverScript, 260), "D:/" + std::string(257, 's'));
    EXPECT_EQ(std::string(settings.relationalServerName), name);
}

TEST_F(RelationalStartupTest, DoubleByteCharactersAreNeitherSplitNorRewritten) {
    initModule("GBK");
    // 0x95 0x5C is one character whose second byte is the backslash code;
    // 0x81 0x2F and 0x81 0x2E hold the slash and dot codes.
    put(settings.masterDatabase, "C:\\d\\\x95\\x\x81/y\x81.z.db");
    put(settings.serverScript, "C:\\ds\\\x95\\.prg");
    open(model(true));
    EXPECT_EQ(relationalStartup(&connection), kOk) << qvStandinLogText();
    EXPECT_EQ(startupEntry(),
              sentOk("push ifcopy;ifcopy=no;call DS.STARTUP('Q7',-\n'6',-\n'\x95\\x\x81/y\x81.z',-\n"
                     "'C:/d/\x95\\x\x81/y\x81.z.db',-\n'C:/ds/\x95\\.prg',-\n"
                     "'scott\\ntiger\\nretail-db\\nORACLE\\n',-\n'GUEST');pop ifcopy"));
    EXPECT_STREQ(settings.serverScript, "C:/ds/\x95\\.prg");
}

TEST_F(RelationalStartupTest, AValueLeftInTheDoubleByteStateIsClosedBeforeItsQuote) {
    initModule("SOSI");
    put(credentials.quorvelId, "Q\x0E\x41\x42");          // shift-out, one character, no shift-in
    put(credentials.relationalUserId, "\x0E\x41\x42\x0F");  // closed already: sent as it is
    open(model(true, "{}"));
    EXPECT_EQ(relationalStartup(&connection), kOk) << qvStandinLogText();
    EXPECT_EQ(startupEntry(),
              sentOk("push ifcopy;ifcopy=no;call DS.STARTUP('Q\x0E\x41\x42\x0F',-\n'6',-\n'sales',-\n"
                     "'C:/data/sales.db',-\n'C:/ds/start.prg',-\n"
                     "'\x0E\x41\x42\x0F\\ntiger\\nretail-db\\nORACLE\\n',-\n'GUEST');pop ifcopy"));
}

// A delimiter code inside a double-byte character is no delimiter: a GBK
// character whose second byte is 0x5C followed by n, and a quote, CR, LF or
// backslash-n pair in the double-byte state of a shift-sensitive set, go out
// as they are.
TEST_F(RelationalStartupTest, DelimiterCodesInsideDoubleByteCharactersAreSentUnchanged) {
    const struct {
        const char *charset;
        const char *password;
    } cases[] = {
        {"GBK", "\x95\\n"},             // 0x95 0x5C is one character, then n
        {"SOSI", "\x0E\x41\x27\x0F"},
        {"SOSI", "\x0E\x0D\x41\x0F"},
        {"SOSI", "\x0E\x41\x0A\x0F"},
        {"SOSI", "\x0E\x5C\x6E\x0F"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(quoted(c.password));
        initModule(c.charset);
        qvStandinReset();
        sample();
        put(credentials.relationalPassword, c.password);
        open(model(true, "{}"));
        relationalStartup(&connection);
        std::string sent = "QVExecuteEx(" +
                           quoted("push ifcopy;ifcopy=no;call DS.STARTUP('Q7',-\n'6',-\n'sales',-\n"
                                  "'C:/data/sales.db',-\n'C:/ds/start.prg',-\n'scott\\n" +
                                  std::string(c.password) + "\\nretail-db\\nORACLE\\n',-\n'GUEST');pop ifcopy") +
                           ", &ok) = ";
        EXPECT_EQ(startupEntry().substr(0, sent.size()), sent);
    }
    // A server that reads the login in the double-byte set takes it.
    initModule("GBK");
    qvStandinReset();
    sample();
    put(credentials.relationalPassword, "\x95\\n");
    std::string json = model(true, R"({"scott": "\u0095\\n"})");
    open("{\"byteTexts\": true, " + json.substr(1));
    EXPECT_EQ(relationalStartup(&connection), kOk) << qvStandinLogText();
    EXPECT_STREQ(connection.relationalDatabase.text(), "SLY.DB");
}

TEST_F(RelationalStartupTest, TwoZeroTerminatorTextsAreRefusedBeforeAnythingIsSent) {
    initModule("UCS2");
    open(model(true));
    EXPECT_EQ(relationalStartup(&connection), kRelationalStartupFailed);
    EXPECT_EQ(std::string(qvStandinLogText()), "");
    EXPECT_STREQ(settings.serverScript, "C:\\ds\\start.prg");
}

TEST_F(RelationalStartupTest, MissingBlocksReadAsEmpty) {
    connection.credentials = nullptr;
    open(model(true, "{}"));
    EXPECT_EQ(relationalStartup(&connection), kOk);
    EXPECT_EQ(startupEntry(),
              sentOk("push ifcopy;ifcopy=no;call DS.STARTUP('',-\n'6',-\n'sales',-\n'C:/data/sales.db',-\n"
                     "'C:/ds/start.prg',-\n'\\n\\nretail-db\\nORACLE\\n',-\n'GUEST');pop ifcopy"));
    connection.settings = nullptr;
    qvStandinClearLog();
    EXPECT_EQ(relationalStartup(&connection), kRelationalSettingsEmpty);
    EXPECT_EQ(std::string(qvStandinLogText()), kAttachesCaseSensitive);
}

TEST_F(RelationalStartupTest, RunningOutOfMemoryGives3003AndLeaksNothing) {
    int outOfMemory = 0;
    for (long k = 1;; ++k) {
        SCOPED_TRACE(k);
        qvStandinReset();
        put(settings.serverScript, "C:\\ds\\start.prg");
        open(model(true));
        memFailAt(k);
        ResultCode code = relationalStartup(&connection);
        memFailAt(0);
        if (code == kOk) {
            EXPECT_STREQ(connection.relationalDatabase.text(), "SLY.DB");
            break;
        }
        ASSERT_EQ(code, kOutOfMemory);
        ++outOfMemory;
        EXPECT_STREQ(connection.relationalDatabase.text(), "OLD");
        std::string log = qvStandinLogText();
        // Either nothing was sent (building the command) or everything up to
        // the data-database query (keeping its reply).
        const std::string last = "QVExecuteEx(\"show QV_GETSLYDATADB('1')\", &ok) = \"SLY.DB\" ok=1\n";
        if (!log.empty())
            EXPECT_TRUE(log.size() > last.size() && log.substr(log.size() - last.size()) == last) << log;
    }
    EXPECT_GE(outOfMemory, 2);
}

TEST_F(RelationalStartupTest, TheDemoRetailServerStartsWithItsConnectionFile) {
    // Run from the repository's root, as the demo is.
    ServerEntry entry = {};
    ServerAddress address;
    ASSERT_EQ(readConnectionFile("demo\\home\\connections\\central\\retail.qcf", &entry, &address), 1);
    ASSERT_EQ(entry.settings.connectionType, 1);
    int16_t handle = qvStandinOpenServer("demo/servers/retail-sollary.json");
    ASSERT_GT(handle, 0) << qvStandinLastError();
    ASSERT_EQ(QVConnectHandle(handle), 1);
    qvStandinClearLog();
    Credentials demo = {};
    put(demo.relationalUserId, "scott");
    put(demo.relationalPassword, "tiger");
    put(demo.quorvelId, "Q7");
    connection.settings = &entry.settings;
    connection.credentials = &demo;
    EXPECT_EQ(relationalStartup(&connection), kOk);
    EXPECT_EQ(std::string(qvStandinLogText()),
              "QVExecuteEx(\"dtb attach DSCODE.DB LAST RO\", &ok) = \"ERROR: database DSCODE.DB does not exist\" ok=0\n"
              "QVExecuteEx(\"dtb attach DSCODE.db LAST RO\", &ok) = \"\" ok=1\n" +
                  sentOk("push ifcopy;ifcopy=no;call DS.STARTUP('Q7',-\n'6',-\n'DSCODE',-\n"
                         "'/srv/quorvel/sys/DSCODE.db',-\n'DS.STARTUP',-\n"
                         "'scott\\ntiger\\nretail-db\\nORACLE\\n',-\n'GUEST');pop ifcopy") +
                  "\n"
                  "QVExecuteEx(\"show QV_GETSLYDATADB('1')\", &ok) = \"SLYDATA.DB\" ok=1\n"
                  "QVDatabaseAttach(\"SLYDATA.DB\") = 1\n");
    EXPECT_STREQ(connection.relationalDatabase.text(), "SLYDATA.DB");

    // The other demo login works too; a wrong password is refused.
    qvStandinClearLog();
    put(demo.relationalUserId, "analyst");
    put(demo.relationalPassword, "olap");
    EXPECT_EQ(relationalStartup(&connection), kOk) << qvStandinLogText();
    put(demo.relationalPassword, "tiger");
    EXPECT_EQ(relationalStartup(&connection), kRelationalStartupFailed);
}

TEST_F(RelationalStartupTest, PathRoutines) {
    char field[kPathFieldSize] = {};
    EXPECT_EQ(toForwardSlashes(field), 0);
    memset(field, 'x', sizeof field);
    field[0] = '\0';
    EXPECT_EQ(toForwardSlashes(field), 0);
    EXPECT_EQ(std::string(field, 3), std::string("\0xx", 3));
    put(field, "\\a\\\\b/c\\");
    field[10] = 'z';  // beyond the terminator: not written
    EXPECT_EQ(toForwardSlashes(field), 1);
    EXPECT_STREQ(field, "/a//b/c/");
    EXPECT_EQ(field[10], 'z');
}

}  // namespace
