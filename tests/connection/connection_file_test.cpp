// Reading one connection file, and the parts of a server string.
#include "connection/connection_file.h"

#include <string.h>

#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "tests/connection/connection_fixture.h"

namespace {

class ConnectionFileTest : public ConnectionTest {
protected:
    // Writes the file and reads it into entry and address.
    int read(const std::string &text, ServerEntry *entry, ServerAddress *address) {
        tree.file("server.qcf", text);
        return readConnectionFile(tree.path("server.qcf").c_str(), entry, address);
    }
};

struct Parts {
    int kind;
    const char *host, *protocol, *endpoint, *options;
};

void expectParts(const ServerAddress &a, const Parts &p, const std::string &what) {
    EXPECT_EQ(a.kind, p.kind) << what;
    EXPECT_STREQ(a.host, p.host) << what;
    EXPECT_STREQ(a.protocol, p.protocol) << what;
    EXPECT_STREQ(a.endpoint, p.endpoint) << what;
    EXPECT_STREQ(a.options, p.options) << what;
}

TEST_F(ConnectionFileTest, ServerStringsSplitIntoTheirParts) {
    const char *tcp = "ncacn_ip_tcp";
    struct Row {
        const char *text;
        Parts parts;
    } rows[] = {
        {"LOCAL|srv@np:ep", {kAddressLocal, "srv", "np", "ep", ""}},
        {"DAEMON|srv@np:1234[x]", {kAddressRemote, "srv", "np", "1234", "x"}},
        {"plainendpoint", {kAddressRemote, "", tcp, "plainendpoint", ""}},
        {"|srv@np:ep", {kAddressRemote, "srv", "np", "ep", ""}},
        {"L|srv", {kAddressLocal, "", tcp, "srv", ""}},
        {"LOC|x", {kAddressLocal, "", tcp, "x", ""}},
        {"LOCALX|x", {kAddressRemote, "", tcp, "x", ""}},
        {"local|x", {kAddressRemote, "", tcp, "x", ""}},   // case counts
        {"DAE|x", {kAddressRemote, "", tcp, "x", ""}},
        {"OTHER|x", {kAddressRemote, "", tcp, "x", ""}},
        {"srv@ep", {kAddressRemote, "srv", tcp, "ep", ""}},
        {"np:ep[opt", {kAddressRemote, "", "np", "ep", "opt"}},  // options run to the end
        {"np:ep[a]b]", {kAddressRemote, "", "np", "ep", "a"}},
        {"a|b|c@d@e:f:g[h[i]", {kAddressRemote, "b|c", "d@e", "f:g", "h[i"}},
        {"LOCAL|", {kAddressLocal, "", tcp, "", ""}},
        {"", {kAddressRemote, "", tcp, "", ""}},
    };
    for (const Row &r : rows) {
        ServerAddress a;
        memset(&a, '#', sizeof a);
        parseServerString(r.text, &a);
        EXPECT_STREQ(a.serverString, r.text);
        expectParts(a, r.parts, r.text);
    }
}

TEST_F(ConnectionFileTest, EachPartIsCutToItsField) {
    std::string host(60, 'h'), protocol(20, 'p'), endpoint(40, 'e'), options(70, 'o');
    std::string text = "DAEMON|" + host + "@" + protocol + ":" + endpoint + "[" + options + "]";
    ServerAddress a = {};
    parseServerString(text.c_str(), &a);
    EXPECT_EQ(std::string(a.serverString), text.substr(0, 201));
    EXPECT_EQ(std::string(a.host), host.substr(0, 39));
    EXPECT_EQ(std::string(a.protocol), protocol.substr(0, 15));
    EXPECT_EQ(std::string(a.endpoint), endpoint.substr(0, 31));
    EXPECT_EQ(std::string(a.options), options.substr(0, 49));
}

TEST_F(ConnectionFileTest, DelimitersInsideDoubleByteCharactersSplitNothing) {
    use("GBK");
    // The second bytes 0x7C ('|') and 0x40 ('@') belong to their characters.
    ServerAddress a = {};
    parseServerString("\x81\x7C" "x@\x81\x40:ep", &a);
    expectParts(a, {kAddressRemote, "\x81\x7C" "x", "\x81\x40", "ep", ""}, "GBK");
}

TEST_F(ConnectionFileTest, TheServerTypeDecidesTheKind) {
    struct Row {
        const char *type;
        int kind;
        const char *serverString;
        const char *endpoint;
    } rows[] = {
        {"ServerType=1", kAddressRemote, "LOCAL|h@np:ep", "ep"},
        {"ServerType=2", kAddressLocal, "ncalrpc:", ""},
        {"ServerType=0", kAddressNone, "", ""},
        {"", kAddressNone, "", ""},
        {"ServerType=7", kAddressRemote, "LOCAL|h@np:ep", "ep"},
        {"ServerType=-1", kAddressRemote, "LOCAL|h@np:ep", "ep"},
    };
    for (const Row &r : rows) {
        ServerEntry entry = {};
        ServerAddress a;
        memset(&a, '#', sizeof a);
        ASSERT_EQ(read(iniText({{"Quorvel", {r.type, "ServerString=LOCAL|h@np:ep", "ServerVersion=9"}}}),
                       &entry, &a),
                  1);
        EXPECT_STREQ(entry.settings.serverString, "LOCAL|h@np:ep");
        // The LOCAL mode word makes the kind local only for a remote server.
        EXPECT_EQ(a.kind, r.kind == kAddressRemote ? kAddressLocal : r.kind) << r.type;
        EXPECT_STREQ(a.serverString, r.serverString) << r.type;
        EXPECT_STREQ(a.endpoint, r.endpoint) << r.type;
        EXPECT_EQ(a.versionFlag, r.kind == kAddressRemote ? 1 : 0) << r.type;
        if (r.kind != kAddressRemote) {
            EXPECT_EQ(a.loginMode, 0) << r.type;
            EXPECT_STREQ(a.host, "") << r.type;
        }
    }
}

TEST_F(ConnectionFileTest, AnEmptyServerStringGivesARemoteKindWithEmptyParts) {
    ServerEntry entry = {};
    ServerAddress a;
    memset(&a, '#', sizeof a);
    ASSERT_EQ(read(iniText({{"Quorvel", {"ServerType=1"}}}), &entry, &a), 1);
    expectParts(a, {kAddressRemote, "", "", "", ""}, "empty");
    EXPECT_STREQ(a.serverString, "");
    EXPECT_EQ(a.versionFlag, 0);
}

TEST_F(ConnectionFileTest, TheServerLoginGivesTheLoginModeAndValue) {
    struct Row {
        const char *login;
        int mode, value;
    } rows[] = {
        {"0", 2, 0}, {"1", 1, 1}, {"3", 1, 3}, {"5", 1, 5}, {"6", 2, 0}, {"7", 2, 0},
        {"-2", 1, 0}, {"-1", 0, 0}, {"-3", 2, 0}, {"", 2, 0}, {"0x2", 1, 2},
    };
    for (const Row &r : rows) {
        ServerEntry entry = {};
        ServerAddress a = {};
        read(iniText({{"Quorvel", {"ServerType=1", std::string("ServerLogin=") + r.login}}}), &entry, &a);
        EXPECT_EQ(a.loginMode, r.mode) << r.login;
        EXPECT_EQ(a.loginValue, r.value) << r.login;
    }
}

TEST_F(ConnectionFileTest, ARelationalSourceIsReadForConnectionTypeOne) {
    std::string text = iniText({
        {"General", {"ConnectionVersion=9.0"}},
        {"Quorvel", {"ServerType=1", "ServerLogin=-1", "ConnectionType=1", "ServerVersion=0",
                     "ServerString=DAEMON|olap@ncacn_ip_tcp:5001"}},
        {"Sollary", {"MasterDB=C:\\sly\\master.db", "ServerScript=DS.STARTUP", "ConnectionType=65538",
                     "PersonalConfig=-2", "PromptForQuorvelID=1"}},
        {"SQL", {"ServerName=dbhost", "ServerType=ORACLE"}},
    });
    ServerEntry entry = {};
    ServerAddress a = {};
    ASSERT_EQ(read(text, &entry, &a), 1);
    const ConnectionSettings &s = entry.settings;
    EXPECT_EQ(s.serverType, 1);
    EXPECT_EQ(s.serverLogin, -1);
    EXPECT_EQ(s.connectionType, 1);
    EXPECT_EQ(s.serverVersion, 0);
    EXPECT_STREQ(s.connectionVersion, "9.0");
    EXPECT_STREQ(s.masterDatabase, "C:\\sly\\master.db");
    EXPECT_STREQ(s.serverScript, "DS.STARTUP");
    EXPECT_EQ(s.relationalConnectionType, 2) << "the low 16 bits";
    EXPECT_EQ(s.personalConfig, -2);
    EXPECT_EQ(s.promptForQuorvelId, 1);
    EXPECT_STREQ(s.relationalServerName, "dbhost");
    EXPECT_STREQ(s.relationalServerType, "ORACLE");
    expectParts(a, {kAddressRemote, "olap", "ncacn_ip_tcp", "5001", ""}, "relational");
    EXPECT_EQ(a.loginMode, 0);
}

TEST_F(ConnectionFileTest, OtherConnectionTypesLeaveTheRelationalFieldsAlone) {
    std::string text = iniText({
        {"Quorvel", {"ServerType=1", "ConnectionType=2"}},
        {"Sollary", {"MasterDB=read", "ServerScript=read", "ConnectionType=5", "PersonalConfig=5",
                     "PromptForQuorvelID=5"}},
        {"SQL", {"ServerName=read", "ServerType=read"}},
    });
    ServerEntry entry = {};
    strcpy(entry.settings.masterDatabase, "kept");
    strcpy(entry.settings.serverScript, "kept");
    strcpy(entry.settings.relationalServerName, "kept");
    strcpy(entry.settings.relationalServerType, "kept");
    entry.settings.relationalConnectionType = 7;
    entry.settings.personalConfig = 7;
    entry.settings.promptForQuorvelId = 7;
    strcpy(entry.settings.connectionVersion, "old");
    ServerAddress a = {};
    ASSERT_EQ(read(text, &entry, &a), 1);
    EXPECT_EQ(entry.settings.connectionType, 2);
    EXPECT_STREQ(entry.settings.connectionVersion, "") << "read whatever the type";
    EXPECT_STREQ(entry.settings.masterDatabase, "kept");
    EXPECT_STREQ(entry.settings.serverScript, "kept");
    EXPECT_STREQ(entry.settings.relationalServerName, "kept");
    EXPECT_STREQ(entry.settings.relationalServerType, "kept");
    EXPECT_EQ(entry.settings.relationalConnectionType, 7);
    EXPECT_EQ(entry.settings.personalConfig, 7);
    EXPECT_EQ(entry.settings.promptForQuorvelId, 7);
}

TEST_F(ConnectionFileTest, TextsAreCutToTheirFields) {
    std::string text = iniText({
        {"General", {"ConnectionVersion=" + std::string(30, 'v')}},
        {"Quorvel", {"ServerType=1", "ConnectionType=1", "ServerString=" + std::string(300, 's')}},
        {"Sollary", {"MasterDB=" + std::string(300, 'm'), "ServerScript=" + std::string(300, 'c')}},
        {"SQL", {"ServerName=" + std::string(300, 'n'), "ServerType=" + std::string(30, 't')}},
    });
    ServerEntry entry;
    memset(&entry, '#', sizeof entry);
    ServerAddress a = {};
    ASSERT_EQ(read(text, &entry, &a), 1);
    const ConnectionSettings &s = entry.settings;
    EXPECT_EQ(std::string(s.connectionVersion), std::string(19, 'v'));
    EXPECT_EQ(std::string(s.serverString), std::string(201, 's'));
    EXPECT_EQ(std::string(s.masterDatabase), std::string(259, 'm'));
    EXPECT_EQ(std::string(s.serverScript), std::string(259, 'c'));
    EXPECT_EQ(std::string(s.relationalServerName), std::string(201, 'n'));
    EXPECT_EQ(std::string(s.relationalServerType), std::string(9, 't'));
    EXPECT_EQ(std::string(a.endpoint), std::string(31, 's'));
}

TEST_F(ConnectionFileTest, WithoutAnAddressNothingIsRead) {
    ServerEntry entry = {};
    entry.settings.serverType = 42;
    EXPECT_EQ(read(qcf("x"), &entry, nullptr), 0);
    EXPECT_EQ(entry.settings.serverType, 42);
}

TEST_F(ConnectionFileTest, AMissingFileReadsAsEmpty) {
    ServerEntry entry;
    memset(&entry, '#', sizeof entry);
    ServerAddress a;
    memset(&a, '#', sizeof a);
    EXPECT_EQ(readConnectionFile(tree.path("missing.qcf").c_str(), &entry, &a), 1);
    EXPECT_EQ(entry.settings.serverType, 0);
    EXPECT_EQ(entry.settings.serverLogin, 0);
    EXPECT_STREQ(entry.settings.serverString, "");
    EXPECT_EQ(a.kind, kAddressNone);
    const ServerAddress zero = {};
    EXPECT_EQ(memcmp(&a, &zero, sizeof a), 0);
}

TEST_F(ConnectionFileTest, FilesAndDirectoriesExist) {
    tree.file("a.qcf");
    tree.dir("d");
    EXPECT_NE(fileExists(tree.path("a.qcf").c_str()), 0);
    EXPECT_NE(fileExists(tree.path("d").c_str()), 0);
    EXPECT_NE(fileExists(tree.path("d\\").c_str()), 0);
    EXPECT_EQ(fileExists(tree.path("missing").c_str()), 0);
    EXPECT_EQ(fileExists(""), 0);
}

#ifndef _WIN32
// Linux only: a connection file that is a FIFO reads as empty, at once (the
// connect string of such a file is the one of an empty file).
TEST_F(ConnectionFileTest, AFifoReadsAsEmptyWithoutWaiting) {
    std::string fifo = tree.path("fifo.qcf");
    ASSERT_EQ(mkfifo(tree.native("fifo.qcf").c_str(), 0600), 0);
    ASSERT_TRUE(finishesWithin(10, [&] {
        ServerEntry entry = {};
        ServerAddress a;
        readConnectionFile(fifo.c_str(), &entry, &a);
    }));
    ServerEntry entry = {};
    ServerAddress a;
    EXPECT_EQ(readConnectionFile(fifo.c_str(), &entry, &a), 1);
    EXPECT_EQ(entry.settings.serverType, 0);
    EXPECT_STREQ(entry.settings.connectionVersion, "");
    const ServerAddress zero = {};
    EXPECT_EQ(memcmp(&a, &zero, sizeof a), 0);
}
#endif

}  // namespace
