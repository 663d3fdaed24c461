#include "query/query_session.h"

#include <string.h>

#include "columns/column_descriptors.h"
#include "connection/connection_directories.h"
#include "connection/server_connection.h"
#include "host/memory.h"
#include "host/qvdata.h"
#include "host/result_code.h"
#include "query/edit_steps.h"
#include "query/query_definition.h"
#include "query/rebuild.h"
#include "query/relational_startup.h"
#include "query/serializer.h"
#include "query/server_scripts.h"
#include "text/char_cursor.h"
#include "text/nls_text.h"
#include "text/string_list.h"
#include "text/text_utils.h"

const EditSteps kModuleEditSteps = {relationalStartup, rebuildQuery, serializeQuery, describeColumns,
                                    changeTest};
EditSteps editSteps = kModuleEditSteps;

namespace {

// The largest count that travels to the host in its one byte.
constexpr int32_t kMaxHostCount = 255;

// A copy of a text that the data library returned, made before the text
// goes back into the library, which may reuse its return buffer as soon as
// it is called again. A text that fits is copied into a buffer of the copy's
// own, so that the common case allocates nothing; a longer one into a block
// of its own. text() is null when that block cannot be had.
class LibraryTextCopy {
public:
    explicit LibraryTextCopy(const char *text) : text_(nullptr) {
        size_t length = textLength(text);
        if (copyChars(fixed_, sizeof fixed_, text, length) == length)
            text_ = fixed_;
        else if (block_.allocateFor(text) && copyChars(block_.get(), block_.capacity(), text, length) == length)
            text_ = block_.get();
    }
    LibraryTextCopy(const LibraryTextCopy &) = delete;
    LibraryTextCopy &operator=(const LibraryTextCopy &) = delete;

    const char *text() const { return text_; }

private:
    char fixed_[256];
    TextBlock block_;
    const char *text_;
};

// The definition text into the host's block, or into a new block of exactly
// its length + 1 bytes when the host's text is shorter or the host has no
// block at all (a new query, even when the text is empty). The host's old
// block stays the host's and is never freed here. When the new block cannot
// be had, the host's pointer and text stay as they were, so that the host
// neither loses its block nor finds a null where its stored text was.
ResultCode handOverText(const GrowableText &text, char **definition) {
    size_t n = text.length();
    size_t m = *definition == nullptr ? 0 : textLength(*definition);
    char *block = *definition;
    if (block == nullptr || n > m) {
        block = static_cast<char *>(memAlloc(n + 1));
        if (block == nullptr)
            return kOutOfMemory;
    }
    memcpy(block, text.text(), n);
    block[n] = '\0';
    *definition = block;
    return kOk;
}

}  // namespace

QuerySession::QuerySession()
    : connection(nullptr),
      newQuery(1),
      outputDefinition(nullptr),
      inputDefinition(nullptr),
      columnList(nullptr),
      entryCount(0),
      measureCount(0),
      dimensionCount(0),
      columnRecords(nullptr),
      columnRecordCount(0),
      customMeasures(nullptr),
      customMeasureCount(-1),
      customMeasureRecordCounter(0),
      naSpelling{},
      helpMethod(0) {}

QuerySession::~QuerySession() {
    memDelete(outputDefinition);
    outputDefinition = nullptr;
    memDelete(inputDefinition);
    inputDefinition = nullptr;
    if (!queryName.empty()) {
        // An edit that failed before the wizard left its query in the data
        // library.
        QVDeleteQuery(queryName.text());
        queryName.clear();
    }
    releaseCustomMeasures(this);
    releaseColumnRecords(this);
    releaseColumnList(this);
    queryName.release();
    definitionText.release();
    naSpellingText.release();
}

ResultCode QuerySession::edit(ServerConnection *serverConnection, char **definition, uint8_t *changed,
                              uint8_t *measureCountOut, const char *, PWQCOL **columns,
                              uint8_t *columnCount) {
    // The outputs start as "nothing"; the changed flag waits for the wizard.
    connection = serverConnection;
    if (measureCountOut != nullptr)
        *measureCountOut = 0;
    if (columnCount != nullptr)
        *columnCount = 0;
    if (columns != nullptr)
        *columns = nullptr;

    // Up to the wizard a failure returns at once: the query (when one
    // exists) is deleted when the session is destroyed, and the data library
    // stays attached until the next edit or cbqTerm.
    ResultCode result = setUp(definition);
    if (result != kOk)
        return result;

    // From the wizard on, the changed flag is written on every path, and
    // every path ends in the one clean-up.
    int32_t wizard = QVStartWizard(queryName.text(), 0);
    if (wizard == 0) {
        *changed = 0;
        return kWizardFailed;
    }
    uint8_t isChanged = 0;
    result = kCancelled;
    if (wizard == 1)
        result = finish(definition, &isChanged, measureCountOut);
    *changed = isChanged;
    return endEdit(result, columns, columnCount);
}

ResultCode QuerySession::setUp(char **definition) {
    // The relational data database serves only the edit whose start-up
    // attached it: an edit of another server (or one whose start-up fails)
    // must not skip a stored database that happens to have its name.
    connection->relationalDatabase.clear();
    StringList home;
    ResultCode homeFailure = kNoHomeDirectory;
    if (homeLookup(&home, &homeFailure) != 1)
        return homeFailure == kOutOfMemory ? kOutOfMemory : kNoHomeDirectory;
    QVSetTarsikHome(home.item(0)->text());
    QVSetKHVMethod(helpMethod);
    if (QVConnectHandle(connection->connectionHandle) == 0)
        return kAttachRefused;
    connection->state |= kConnected;

    // A host that passes no settings block has no relational source.
    if (connection->settings != nullptr && connection->settings->connectionType == 1) {
        ResultCode started = editSteps.relationalStartup(connection);
        if (started != kOk)
            return started;
    }

    newQuery = *definition == nullptr ? 1 : 0;
    ResultCode created = createQuery();
    if (created != kOk || newQuery == 1)
        return created;
    return editSteps.rebuild(this, *definition);
}

ResultCode QuerySession::createQuery() {
    const char *name = QVCreateQuery();
    if (*name == '\0')
        return kNoQueryCreated;
    if (!queryName.appendText(name)) {
        // Without its name the query could never be deleted: delete it now.
        // When not even the copy can be had, the query stays with the
        // library, which drops its queries at QVClose.
        LibraryTextCopy copy(name);
        if (copy.text() != nullptr)
            QVDeleteQuery(copy.text());
        return kOutOfMemory;
    }
    if (strcmp(QVGetOption("DefaultAttachMode"), "RW") == 0)
        QVSetOption("DefaultAttachMode", "RO");
    return kOk;
}

ResultCode QuerySession::finish(char **definition, uint8_t *changed, uint8_t *measureCountOut) {
    QVExecute("qv_otherappdtbs = na");
    if (!setNaSpelling(QVExecute("shw naspell")))
        return kOutOfMemory;
    measureCount = QVGetMeasureCount(queryName.text());
    if (measureCount <= 0)
        return kCancelled;
    // The host receives the count in one byte; a wrapped count would make it
    // free and describe the wrong number of records.
    if (measureCount > kMaxHostCount)
        return kOutOfMemory;
    if (measureCountOut != nullptr)
        *measureCountOut = static_cast<uint8_t>(measureCount);

    ResultCode result = editSteps.serialize(this);
    if (result == kOk)
        result = editSteps.describeColumns(this);
    if (result == kOk && columnRecordCount > kMaxHostCount)
        result = kOutOfMemory;  // the column count is one byte too
    if (result != kOk)
        return result;
    *changed = editSteps.changeTest(this) != 0 ? 1 : 0;
    if (*changed == 0)
        return kOk;
    return handOverText(definitionText, definition);
}

ResultCode QuerySession::endEdit(ResultCode result, PWQCOL **columns, uint8_t *columnCount) {
    memDelete(outputDefinition);
    outputDefinition = nullptr;
    if (QVDeleteQuery(queryName.text()) == 0 && result == kOk)
        result = kDeleteRefused;
    if (result == kOk) {
        if (columnCount != nullptr)
            *columnCount = static_cast<uint8_t>(columnRecordCount);
        // A host that asked for no columns never owns them: the session
        // keeps them and frees them as it goes.
        if (columns != nullptr) {
            *columns = columnRecords;
            columnRecords = nullptr;
            columnRecordCount = 0;
        }
    }
    detachDatabases();
    queryName.release();
    QVDisconnect();
    return result;
}

bool QuerySession::setNaSpelling(const char *spelling) {
    copyChars(naSpelling, sizeof naSpelling, spelling, textLength(spelling));
    naSpellingText.clear();
    return naSpellingText.appendText(spelling);
}

int32_t QuerySession::detachDatabases() {
    if (queryName.empty())
        return 0;
    int16_t passes = QVGetDatabaseCount();
    int32_t detached = 0;
    for (int16_t pass = 0; pass < passes; ++pass) {
        // Index 0 every time: a detached database leaves the list. Without
        // memory for a long name's copy the rest stay attached, as refused
        // ones do.
        LibraryTextCopy name(QVGetDatabase(0, 0));
        if (name.text() == nullptr || name.text()[0] == '\0')
            break;
        if (QVDatabaseDetach(name.text()) != 0)
            ++detached;
    }
    return detached;
}
