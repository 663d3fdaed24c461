#include "tests/fuzz/fuzz_qvdata.h"

#include <limits.h>
#include <string.h>

#include <string>
#include <vector>

#include "host/qvdata.h"

namespace {

struct Answers {
    std::vector<std::string> list;
    size_t next = 0;
    long calls = 0;
    std::string reply;  // the text handed out last; valid until the next call
};

Answers &answers() {
    static Answers a;
    return a;
}

const std::string &nextAnswer() {
    static const std::string none;
    Answers &a = answers();
    ++a.calls;
    return a.next < a.list.size() ? a.list[a.next++] : none;
}

const char *text() {
    Answers &a = answers();
    a.reply = nextAnswer();
    return a.reply.c_str();
}

int32_t number() {
    const std::string &s = nextAnswer();
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        negative = s[i++] == '-';
    long long value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        value = value * 10 + (s[i] - '0');
        if (value > INT_MAX)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int32_t>(value);
}

int16_t number16() { return static_cast<int16_t>(number()); }

}  // namespace

void fuzzAnswersLoad(const uint8_t *data, size_t size) {
    Answers &a = answers();
    a.list.clear();
    a.next = 0;
    a.calls = 0;
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == 0) {
            a.list.emplace_back(reinterpret_cast<const char *>(data) + start, i - start);
            start = i + 1;
        }
    }
}

const char *fuzzAnswersNextText() { return text(); }

long fuzzAnswersCalls() { return answers().calls; }

extern "C" {

int32_t QVPagewright(int32_t) { return 1; }
void QVSetTarsikHome(const char *) {}
void QVSetKHVMethod(uint32_t) {}
int32_t QVConnectHandle(int16_t) { return number(); }
void QVDisconnect(void) {}
void QVClose(void) {}
const char *QVCreateQuery(void) { return text(); }
int32_t QVDeleteQuery(const char *) { return number(); }
const char *QVGetOption(const char *) { return text(); }
void QVSetOption(const char *, const char *) {}
int32_t QVStartWizard(const char *, int32_t) { return number(); }
const char *QVExecute(const char *) { return text(); }

const char *QVExecuteEx(const char *, int32_t *ok) {
    const char *reply = text();
    if (ok != nullptr)
        *ok = reply[0] == '1' ? 1 : 0;
    return reply[0] == '\0' ? reply : reply + 1;
}

int16_t QVGetDatabaseCount(void) { return number16(); }
const char *QVGetDatabase(int32_t, int32_t) { return text(); }
int32_t QVDatabaseAttach(const char *) { return number(); }
int32_t QVDatabaseDetach(const char *) { return number(); }
int16_t QVGetMeasureCount(const char *) { return number16(); }
const char *QVGetMeasureName(const char *, int32_t) { return text(); }
const char *QVGetMeasureDatabase(const char *, int32_t, int32_t) { return text(); }
int16_t QVGetMeasures(const char *) { return number16(); }
const char *QVGetMeasure(int32_t) { return text(); }
const char *QVGetMeasureDesc(int32_t) { return text(); }
int16_t QVGetDimEdgeCount(const char *, int32_t) { return number16(); }
const char *QVGetDimensionName(const char *, int32_t, int32_t) { return text(); }
const char *QVGetDimensionDesc(const char *, int32_t, int32_t) { return text(); }
const char *QVGetDimensionHierName(const char *, int32_t, int32_t) { return text(); }
const char *QVGetSelectionScript(const char *, int32_t, int32_t) { return text(); }
const char *QVGetSelectionSortScript(const char *, int32_t, int32_t) { return text(); }
int32_t QVIsMeasureDimension(const char *, int32_t, int32_t) { return number(); }
int32_t QVAddMeasure(const char *, const char *, const char *) { return number(); }
int32_t QVCreateCube(const char *) { return number(); }
int32_t QVRunQuery(const char *) { return number(); }
int32_t QVSetDimensionEdge(const char *, const char *, int32_t, int32_t, int32_t) { return number(); }
int32_t QVSetScript(const char *, const char *, const char *, const char *) { return number(); }

}  // extern "C"
