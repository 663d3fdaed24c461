// Whole cbqEdit calls against a data library that answers from the fuzzer's
// input (tests/fuzz/fuzz_qvdata.h). Built three times: a new query, a
// reopened one and a server with a relational source (EDIT_MODE).
//
// The first answers belong to the harness, not to the library:
//   0: flags: 'G' runs the module in the GBK character set (else LATIN1);
//      'M' followed by a number k fails the module's k-th allocation;
//   1, 2: the host's options "options.hierarchy.indent.count" and
//      "options.hierarchy.indent.string" (empty: the host has no value);
//   reopen mode: 3: the stored definition text the host passes;
//   relational mode: 3 to 8: the server script, master database,
//      relational user, relational password, relational server type and
//      personal configuration (a number) of the host's settings.
// Everything after them answers the module's data-library calls.
//
// Whatever the answers, the edit must return a known result code, hand over
// only well-formed columns and text, and leave no block allocated once the
// module is terminated.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "cbq90.h"
#include "host/memory.h"
#include "host/tsknls.h"
#include "tests/fuzz/fuzz_qvdata.h"

#define EDIT_NEW 1
#define EDIT_REOPEN 2
#define EDIT_RELATIONAL 3

namespace {

void check(bool condition) {
    if (!condition)
        abort();
}

std::string indentCount, indentString;

const char *hostOptions(const char *key, const char *defaultText) {
    if (strcmp(key, "options.hierarchy.indent.count") == 0)
        return indentCount.empty() ? nullptr : indentCount.c_str();
    if (strcmp(key, "options.hierarchy.indent.string") == 0)
        return indentString.empty() ? nullptr : indentString.c_str();
    return defaultText;
}

void copyField(char *field, size_t size, const char *text) {
    size_t n = strlen(text);
    if (n > size - 1)
        n = size - 1;
    memcpy(field, text, n);
    field[n] = '\0';
}

bool knownResult(ResultCode r) {
    return r == 0 || r == 2015 || r == 2016 || r == 2017 || r == 2033 || (r >= 3001 && r <= 3012);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    setenv("TARSIK_HOME", "/tmp/cbq90-fuzz-home", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzAnswersLoad(data, size);
    std::string flags = fuzzAnswersNextText();
    indentCount = fuzzAnswersNextText();
    indentString = fuzzAnswersNextText();

    long liveBefore = memLiveBlocks();
    bool gbk = flags.find('G') != std::string::npos;
    cbqInit(nlsOpenLanguage(gbk ? "GBK" : "LATIN1"), nlsGlobalContext(), 0, hostOptions);

    Credentials credentials;
    memset(&credentials, 0, sizeof credentials);
    ConnectionSettings settings;
    memset(&settings, 0, sizeof settings);
    char *hostBlock = nullptr;
#if EDIT_MODE == EDIT_REOPEN
    std::string stored = fuzzAnswersNextText();
    hostBlock = static_cast<char *>(malloc(stored.size() + 1));
    memcpy(hostBlock, stored.c_str(), stored.size() + 1);
#elif EDIT_MODE == EDIT_RELATIONAL
    settings.connectionType = 1;
    copyField(settings.serverScript, sizeof settings.serverScript, fuzzAnswersNextText());
    copyField(settings.masterDatabase, sizeof settings.masterDatabase, fuzzAnswersNextText());
    copyField(credentials.relationalUserId, sizeof credentials.relationalUserId, fuzzAnswersNextText());
    copyField(credentials.relationalPassword, sizeof credentials.relationalPassword,
              fuzzAnswersNextText());
    copyField(settings.relationalServerType, sizeof settings.relationalServerType,
              fuzzAnswersNextText());
    settings.personalConfig = static_cast<int16_t>(atoi(fuzzAnswersNextText()));
#endif
    HostConnection host = {1, 2, &credentials, &settings, 1};

    size_t m = flags.find('M');
    if (m != std::string::npos)
        memFailAt(atol(flags.c_str() + m + 1));

    char *definition = hostBlock;
    uint8_t changed = 7, measureCount = 7, columnCount = 7;
    PWQCOL *const sentinel = reinterpret_cast<PWQCOL *>(&host);
    PWQCOL *columns = sentinel;
    ResultCode result = cbqEdit(&host, &definition, &changed, &measureCount, &columns,
                                &columnCount, 0);
    memFailAt(0);
    if (getenv("CBQ_FUZZ_VERBOSE") != nullptr)
        fprintf(stderr, "edit: result %d changed %d measures %d columns %d, %ld answers asked\n",
                result, changed, measureCount, columnCount, fuzzAnswersCalls());

    check(knownResult(result));
    check(changed == 7 || changed == 0 || changed == 1);
    if (result == 0) {
        check(changed == 0 || changed == 1);
        check((columns == nullptr) == (columnCount == 0));
        for (uint8_t i = 0; i < columnCount; ++i) {
            check(columns[i].name != nullptr);
            check(columns[i].position == i);
            check(columns[i].isCompanion <= 1 && columns[i].isMeasure <= 1);
            check(strlen(columns[i].name) < 1u << 20);
        }
    } else {
        // Nothing is handed over on a failure; the out-parameters keep the
        // host's values when the edit failed before its first step.
        bool untouched = columns == sentinel && columnCount == 7;
        check(untouched || (columns == nullptr && columnCount == 0));
        columns = nullptr;
    }
    if (columns != nullptr)
        cbqFreePWQCOL(columns, columnCount);
    if (definition != hostBlock) {
        // The module replaced the host's block with one of its own.
        check(changed == 1 || definition == nullptr);
        if (definition != nullptr)
            check(strlen(definition) < 1u << 30);
        cbqFreeMem(definition);
    }
    free(hostBlock);
    cbqTerm();
    check(memLiveBlocks() == liveBefore);
    return 0;
}
