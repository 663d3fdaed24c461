// The connect string, byte for byte, and the escaping of its values in each
// character set.
#include "connection/connect_string.h"

#include <string.h>

#include <string>

#include "connection/server_connection.h"
#include "host/result_code.h"
#include "tests/support/module_fixture.h"
#include "tests/text/text_fixture.h"
#include "text/nls_text.h"

namespace {

class ConnectStringTest : public TextTest {
protected:
    // The connect string of the entry and credentials, or "(refused NNNN)";
    // the output must stay untouched when refused.
    std::string build(const Credentials *c, size_t capacity = kConnectStringSize) {
        char output[kConnectStringSize + 16];
        memset(output, '#', sizeof output);
        ResultCode result = buildConnectString(output, capacity, &entry, c);
        if (result != kOk) {
            EXPECT_EQ(output[0], '#');
            return "(refused " + std::to_string(result) + ")";
        }
        EXPECT_LT(strlen(output), capacity);
        return output;
    }

    // encodeConnectValue into a buffer of capacity bytes (inside a larger
    // one), as raw bytes up to and including the terminator; "(null)" when
    // it does not fit.
    std::string encode(const std::string &source, int closing, size_t capacity = 600) {
        char out[700];
        memset(out, '#', sizeof out);
        char *result = encodeConnectValue(source.c_str(), out, capacity, closing);
        for (size_t i = capacity; i < sizeof out; ++i)
            EXPECT_EQ(out[i], '#') << "written past the buffer at " << i;
        if (result == nullptr)
            return "(null)";
        EXPECT_EQ(result, out);
        size_t length = textLength(out);
        return std::string(out, length + terminatorSize());
    }

    ServerEntry entry = {};
    Credentials credentials = {};
};

TEST_F(ConnectStringTest, EveryValueEmpty) {
    EXPECT_EQ(build(&credentials),
              "server=/sl=0/st=0/ct=0/sv=0/domain=/user=/password=/slyuser=/slypassword=/"
              "slyquorvelid=/slyserverscript=/slyservername=/slyservertype=/slypersonalconfig=0/"
              "slyconnecttype=0/slymasterdb=/");
    EXPECT_EQ(build(nullptr), build(&credentials)) << "no credentials read as empty ones";
}

TEST_F(ConnectStringTest, EveryFieldInItsPlace) {
    ConnectionSettings &s = entry.settings;
    s.serverType = 1;
    s.serverLogin = -1;
    s.connectionType = 1;
    s.serverVersion = 9;
    strcpy(s.serverString, "DAEMON|olap@ncacn_ip_tcp:5001");
    strcpy(s.serverScript, "DS.STARTUP");
    strcpy(s.relationalServerName, "db host");
    strcpy(s.relationalServerType, "ORACLE");
    strcpy(s.masterDatabase, "C:\\sly\\master.db");
    s.personalConfig = -2;
    s.relationalConnectionType = -32768;
    strcpy(credentials.domain, "CORP");
    strcpy(credentials.userId, "scott");
    strcpy(credentials.password, "/");
    strcpy(credentials.relationalUserId, "a=b c");
    strcpy(credentials.relationalPassword, "x//y");
    strcpy(credentials.quorvelId, "Q7");
    EXPECT_EQ(build(&credentials),
              "server=DAEMON|olap@ncacn_ip_tcp:5001/sl=-1/st=1/ct=1/sv=9/domain=CORP/user=scott/"
              "password=///slyuser=a=b c/slypassword=x////y/slyquorvelid=Q7/slyserverscript=DS.STARTUP/"
              "slyservername=db host/slyservertype=ORACLE/slypersonalconfig=-2/slyconnecttype=-32768/"
              "slymasterdb=C:\\sly\\master.db/");
}

TEST_F(ConnectStringTest, ASlashInTheServerStringIsDoubledAndClosedByTheNumbers) {
    strcpy(entry.settings.serverString, "A/B");
    std::string text = build(&credentials);
    EXPECT_EQ(text.substr(0, 20), "server=A//B/sl=0/st=");
}

TEST_F(ConnectStringTest, TheLongestStringsFitAndLongerOnesAreRefused) {
    ConnectionSettings &s = entry.settings;
    auto fill = [](char *field, size_t size, char c) {
        memset(field, c, size - 1);
        field[size - 1] = '\0';
    };
    fill(s.serverString, sizeof s.serverString, 's');
    fill(s.serverScript, sizeof s.serverScript, 'c');
    fill(s.relationalServerName, sizeof s.relationalServerName, 'n');
    fill(s.relationalServerType, sizeof s.relationalServerType, 't');
    fill(s.masterDatabase, sizeof s.masterDatabase, 'm');
    s.serverLogin = s.serverType = s.connectionType = s.serverVersion = INT32_MIN;
    s.personalConfig = s.relationalConnectionType = INT16_MIN;
    char *texts[] = {credentials.domain, credentials.userId, credentials.password,
                     credentials.relationalUserId, credentials.relationalPassword, credentials.quorvelId};
    for (char *t : texts)
        fill(t, 100, 'u');
    std::string longest = build(&credentials);
    EXPECT_EQ(longest.size() + 1, 1759u);
    EXPECT_EQ(build(&credentials, 1759), longest);
    EXPECT_EQ(build(&credentials, 1758), "(refused 3003)") << "the caller's buffer is too small";

    // 241 slashes bring it to 1999 bytes and the terminator; one more passes
    // the composition area.
    memset(s.masterDatabase, '/', 241);
    std::string full = build(&credentials);
    EXPECT_EQ(full.size(), 1999u);
    EXPECT_EQ(full.substr(full.size() - 20), "/" + std::string(18, 'm') + "/");
    s.masterDatabase[241] = '/';
    EXPECT_EQ(build(&credentials), "(refused 3003)");
    memset(credentials.password, '/', 99);
    EXPECT_EQ(build(&credentials), "(refused 3003)");
}

TEST_F(ConnectStringTest, EscapingInASingleByteSet) {
    struct Row {
        const char *source;
        int closing;
        std::string expected;
    } rows[] = {
        {"", 0, std::string("\0", 1)},
        {"", 1, std::string("/\0", 2)},
        {"/", 1, std::string("///\0", 4)},
        {"a/b", 0, std::string("a//b\0", 5)},
        {"=  =", 1, std::string("=  =/\0", 6)},
        {"\x81/", 0, std::string("\x81//\0", 4)},  // every byte is a character here
    };
    for (const Row &r : rows)
        EXPECT_EQ(encode(r.source, r.closing), r.expected) << r.source;
}

TEST_F(ConnectStringTest, ASlashInsideADoubleByteCharacterIsCopiedOnce) {
    use("GBK");
    EXPECT_EQ(encode("\x81/", 1), std::string("\x81//\0", 4)) << "the character, then the closing slash";
    EXPECT_EQ(encode("a\x81//", 0), std::string("a\x81///\0", 6));
    // A lead byte without its second byte would swallow the closing slash.
    EXPECT_EQ(encode("\x81", 1), std::string("/\0", 2));
    EXPECT_EQ(encode("ab\x81", 0), std::string("ab\0", 3));
    strcpy(credentials.password, "\xB0/");
    std::string text = build(&credentials);
    EXPECT_NE(text.find("/password=\xB0//slyuser="), std::string::npos) << text;
}

TEST_F(ConnectStringTest, AShiftedValueIsClosedInTheSingleByteState) {
    use("SOSI");
    // A double-byte pair whose second byte is '/', then a single-byte slash.
    EXPECT_EQ(encode("\x0E\x41/\x0F/", 0), std::string("\x0E\x41/\x0F//\0", 7));
    EXPECT_EQ(encode("\x0E\x41/", 0), std::string("\x0E\x41/\x0F\0", 5)) << "the shift-in is added";
    EXPECT_EQ(encode("\x0E\x41/", 1), std::string("\x0E\x41/\x0F/\0", 6));
    strcpy(credentials.userId, "\x0E\x41\x42");
    std::string text = build(&credentials);
    EXPECT_NE(text.find("/user=\x0E\x41\x42\x0F/password=/"), std::string::npos) << text;
}

TEST_F(ConnectStringTest, TwoByteUnitsEndInTwoZeroBytes) {
    use("UCS2");
    EXPECT_EQ(encode(ucs2("a/"), 1), ucs2("a///"));
    EXPECT_EQ(encode(ucs2(""), 0), ucs2(""));
    // A unit whose low byte is '/' is another character.
    EXPECT_EQ(encode(std::string("/\x4E\0\0", 4), 0), std::string("/\x4E\0\0", 4));
    char output[kConnectStringSize * 2];
    ASSERT_EQ(buildConnectString(output, sizeof output, &entry, &credentials), kOk);
    std::string expected = ucs2("server=/sl=0/st=0/ct=0/sv=0/domain=/user=/password=/slyuser=/slypassword=/"
                                "slyquorvelid=/slyserverscript=/slyservername=/slyservertype=/"
                                "slypersonalconfig=0/slyconnecttype=0/slymasterdb=/");
    EXPECT_EQ(std::string(output, expected.size()), expected);
}

TEST_F(ConnectStringTest, AValueThatDoesNotFitIsNotWritten) {
    EXPECT_EQ(encode("abc", 1, 5), std::string("abc/\0", 5));
    EXPECT_EQ(encode("abc", 1, 4), "(null)");
    EXPECT_EQ(encode("a/", 0, 4), std::string("a//\0", 4));
    EXPECT_EQ(encode("a/", 0, 3), "(null)");
    EXPECT_EQ(encode("", 0, 0), "(null)");
}

}  // namespace
