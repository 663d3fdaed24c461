#include "query/relational_startup.h"

#include <stddef.h>
#include <string.h>

#include "connection/server_connection.h"
#include "host/module_state.h"
#include "host/qvdata.h"
#include "host/result_code.h"
#include "host/tsknls.h"
#include "platform/platform.h"
#include "text/char_cursor.h"
#include "text/growable_text.h"
#include "text/nls_string.h"
#include "text/nls_text.h"
#include "text/text_utils.h"

namespace {

const char kAttachUpperCase[] = "dtb attach DSCODE.DB LAST RO";
const char kAttachLowerCase[] = "dtb attach DSCODE.db LAST RO";
const char kCallStart[] = "push ifcopy;ifcopy=no;call DS.STARTUP(";
const char kArgumentEnd[] = "',-\n";
const char kCallEnd[] = ");pop ifcopy";
const char kLoginSeparator[] = "\\n";  // backslash and n: the sixth argument is one line

static_assert(sizeof(ConnectionSettings::masterDatabase) == kPathFieldSize, "master database field");
static_assert(sizeof(ConnectionSettings::serverScript) == kPathFieldSize, "server script field");
static_assert(sizeof(ConnectionSettings::relationalServerName) <= kPathFieldSize, "server name field");
static_assert(sizeof(Credentials::quorvelId) <= kPathFieldSize, "credentials fields");

// A field's text as a text of its own, with room after it for a terminator
// of either size; no field of the two blocks is longer than a path field.
struct FieldText {
    char text[kPathFieldSize + 2];
    size_t length;

    void take(const char *field, size_t size) {
        memset(text, 0, sizeof text);
        // The field's bytes up to its first zero byte, never beyond the field.
        length = strnlen(field, size < sizeof text - 2 ? size : sizeof text - 2);
        memcpy(text, field, length);
    }
    void measure() { length = strlen(text); }
};

// Slashes for single-byte backslashes in a terminated text, in place.
void replaceBackslashes(char *text) {
    for (CharCursor c(text); !c.atEnd(); c.step())
        if (c.is('\\'))
            text[c.offset()] = '/';
}

// Whether the command can carry the value inside single quotes: it holds no
// quote (which would end the quoted text) and no line end (which would end
// the statement), and, for a value of the sixth argument (login), no
// backslash followed by n (its separator). The value is read character by
// character: a byte of a double-byte character, or of the double-byte state
// of a shift-sensitive set, is no delimiter, whatever its code.
bool carriable(const FieldText &value, bool login) {
    bool afterBackslash = false;
    for (CharCursor c(value.text); !c.atEnd(); c.step()) {
        if (c.is('\'') || c.is('\r') || c.is('\n') || (login && afterBackslash && c.is('n')))
            return false;
        afterBackslash = c.is('\\');
    }
    return true;
}

// Appends the value. In a shift-sensitive set a value that ends in the
// double-byte state gets the shift-in byte, so that what follows it is read
// in the single-byte state.
bool appendValue(GrowableText *out, const FieldText &value) {
    if (!out->append(value.text, value.length))
        return false;
    CharCursor c(value.text);
    while (!c.atEnd())
        c.step();
    return !c.shifted() || out->appendByte(static_cast<char>(moduleState.nlsLanguage->shiftIn));
}

// One argument line: a quote, the value, then "',-" and LF.
bool appendArgument(GrowableText *out, const FieldText &value) {
    return out->appendByte('\'') && appendValue(out, value) && out->appendText(kArgumentEnd);
}

// What the start-up sends, taken from the blocks as they stand: the values
// that go into the start-up command, with the server script and the master
// database already in their slashed form.
struct StartupValues {
    FieldText quorvelId, stem, masterDatabase, serverScript;
    FieldText login[4];  // user ID, password, server name, server type
    bool personal;

    void take(const ConnectionSettings &settings, const Credentials &credentials) {
        quorvelId.take(credentials.quorvelId, sizeof credentials.quorvelId);
        masterDatabase.take(settings.masterDatabase, sizeof settings.masterDatabase);
        replaceBackslashes(masterDatabase.text);
        stem = masterDatabase;
        pathStem(stem.text, sizeof stem.text, stem.text);
        stem.measure();
        serverScript.take(settings.serverScript, sizeof settings.serverScript);
        replaceBackslashes(serverScript.text);
        login[0].take(credentials.relationalUserId, sizeof credentials.relationalUserId);
        login[1].take(credentials.relationalPassword, sizeof credentials.relationalPassword);
        login[2].take(settings.relationalServerName, sizeof settings.relationalServerName);
        login[3].take(settings.relationalServerType, sizeof settings.relationalServerType);
        personal = settings.personalConfig != 0;
    }

    // Whether the command carries every value as it is (see the header).
    bool carried() const {
        const FieldText *quoted[] = {&quorvelId, &stem, &masterDatabase, &serverScript};
        for (const FieldText *value : quoted)
            if (!carriable(*value, false))
                return false;
        for (const FieldText &value : login)
            if (!carriable(value, true))
                return false;
        return true;
    }

    // The seven-line start-up command; false when memory runs out.
    bool build(GrowableText *command) const {
        GrowableText sixth;
        for (const FieldText &value : login)
            if (!appendValue(&sixth, value) || !sixth.appendText(kLoginSeparator))
                return false;
        FieldText version;
        version.take("6", 2);
        return command->appendText(kCallStart) && appendArgument(command, quorvelId) &&
               appendArgument(command, version) && appendArgument(command, stem) &&
               appendArgument(command, masterDatabase) && appendArgument(command, serverScript) &&
               command->appendByte('\'') && command->append(sixth.text(), sixth.length()) &&
               command->appendText(kArgumentEnd) && command->appendByte('\'') &&
               command->appendText(personal ? "PERSONAL" : "GUEST") && command->appendByte('\'') &&
               command->appendText(kCallEnd);
    }
};

const Credentials kNoCredentials = {};

}  // namespace

int toForwardSlashes(char (&text)[kPathFieldSize]) {
    FieldText copy;
    copy.take(text, sizeof text);
    if (copy.length == 0)
        return 0;
    replaceBackslashes(copy.text);
    memcpy(text, copy.text, copy.length);
    return 1;
}

ResultCode relationalStartup(ServerConnection *connection) {
    ConnectionSettings noSettings = {};
    ConnectionSettings *settings = connection->settings != nullptr ? connection->settings : &noSettings;
    const Credentials &credentials =
        connection->credentials != nullptr ? *connection->credentials : kNoCredentials;

    // Everything the commands carry is checked and the start-up command built
    // before the first command goes out.
    if (twoZeroTerminator())
        return kRelationalStartupFailed;
    StartupValues values;
    values.take(*settings, credentials);
    if (!values.carried())
        return kRelationalStartupFailed;
    GrowableText command;
    if (!values.build(&command))
        return kOutOfMemory;

    int32_t ok = 0;
    QVExecuteEx(kAttachUpperCase, &ok);
    if (ok == 0) {
        QVExecuteEx(kAttachLowerCase, &ok);
        if (ok == 0)
            return kRelationalCodeAttach;
    }
    // The host's block keeps the slashed server script.
    if (toForwardSlashes(settings->serverScript) == 0)
        return kRelationalSettingsEmpty;
    if (values.masterDatabase.length == 0)
        return kRelationalSettingsEmpty;

    QVExecuteEx(command.text(), &ok);
    if (ok == 0)
        return kRelationalStartupFailed;

    char query[64];
    platformFormat(query, sizeof query, "show QV_GETSLYDATADB('%d')", settings->connectionType);
    const char *reply = QVExecuteEx(query, &ok);
    if (ok == 0)
        return kRelationalStartupFailed;
    NlsString database;
    if (database.assign(reply) == 0)
        return kOutOfMemory;
    if (QVDatabaseAttach(database.text()) == 0)
        return kRelationalStartupFailed;
    connection->relationalDatabase.swap(database);
    return kOk;
}
