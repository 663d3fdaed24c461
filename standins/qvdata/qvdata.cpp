// The data library's functions over simulated servers. This file holds the
// library's own state (open servers, the attached one, options, the measure
// list of QVGetMeasures, the reply buffer, injected failures, the call log)
// and turns each call into work on a ServerSession, logging it.
#include "standins/qvdata/qvdata_standin.h"

#include <algorithm>
#include <deque>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "standins/qvdata/call_log.h"
#include "standins/qvdata/command_language.h"
#include "standins/qvdata/server_session.h"
#include "standins/qvdata/wizard.h"

namespace {

using namespace qvsim;

const char *const kFunctions[] = {
    "QVPagewright", "QVSetTarsikHome", "QVSetKHVMethod", "QVConnectHandle", "QVDisconnect",
    "QVClose", "QVCreateQuery", "QVDeleteQuery", "QVGetOption", "QVSetOption", "QVStartWizard",
    "QVExecute", "QVExecuteEx", "QVGetDatabaseCount", "QVGetDatabase", "QVDatabaseAttach",
    "QVDatabaseDetach", "QVGetMeasureCount", "QVGetMeasureName", "QVGetMeasureDatabase",
    "QVGetMeasures", "QVGetMeasure", "QVGetMeasureDesc", "QVGetDimEdgeCount",
    "QVGetDimensionName", "QVGetDimensionDesc", "QVGetDimensionHierName", "QVGetSelectionScript",
    "QVGetSelectionSortScript", "QVIsMeasureDimension", "QVAddMeasure", "QVCreateCube",
    "QVRunQuery", "QVSetDimensionEdge", "QVSetScript"};

struct ListedMeasure {
    std::string name, description;
};

struct Library {
    int32_t pagewrightCalls = 0;
    int32_t pagewrightFlag = 0;
    std::map<int16_t, std::unique_ptr<ServerSession>> servers;
    int32_t nextHandle = 1;
    int16_t attached = 0;
    int queryNumber = 0;
    std::map<std::string, std::string> options{{"DefaultAttachMode", "RW"}};
    std::map<std::string, int> failures;
    std::map<std::string, int> commandFailures;  // command prefix -> commands still to fail
    std::vector<ListedMeasure> measureList;
    std::string reply;
    std::string lastError;
    CallLog log;
    std::vector<std::string> notes;  // written after the entry of the call being made
};

Library &lib() {
    static Library library;
    return library;
}

std::string str(const char *p) { return p == nullptr ? std::string() : std::string(p); }
std::string num(long long n) { return std::to_string(n); }

// The texts returned while qvStandinOverwriteReturnedTexts is on, each in a
// block of its own. Every call into the library first overwrites those not
// yet overwritten with 'X' (their lengths kept), as a library that reuses
// its return buffers would. The last kKeptTexts stay allocated, so that a
// caller that kept a pointer reads X's rather than freed memory. This lives
// outside Library: qvStandinReset keeps the mode.
struct ReturnedTexts {
    static constexpr size_t kKeptTexts = 64;
    bool overwrite = false;
    std::deque<std::string> texts;  // push_back and pop_front leave the others in place
    size_t fresh = 0;               // texts at the back not yet overwritten
};

ReturnedTexts &returnedTexts() {
    static ReturnedTexts texts;
    return texts;
}

void enterCall() {
    ReturnedTexts &r = returnedTexts();
    for (; r.fresh > 0; --r.fresh) {
        std::string &text = r.texts[r.texts.size() - r.fresh];
        std::fill(text.begin(), text.end(), 'X');
    }
}

const char *give(const std::string &text) {
    ReturnedTexts &r = returnedTexts();
    if (!r.overwrite) {
        lib().reply = text;
        return lib().reply.c_str();
    }
    r.texts.push_back(text);
    ++r.fresh;
    while (r.texts.size() > ReturnedTexts::kKeptTexts)
        r.texts.pop_front();
    return r.texts.back().c_str();
}

void note(const std::string &text) { lib().notes.push_back(text); }


void logCall(const char *fn, const std::vector<std::string> &args, const std::string &result) {
    std::string entry = std::string(fn) + "(";
    for (size_t i = 0; i < args.size(); ++i)
        entry += (i ? ", " : "") + args[i];
    entry += ")";
    if (!result.empty())
        entry += " = " + result;
    Library &l = lib();
    l.log.add(entry);
    for (const std::string &n : l.notes)
        l.log.note(n);
    l.notes.clear();
}

// True when an injected failure takes this call.
bool failing(const char *fn) {
    auto it = lib().failures.find(fn);
    if (it == lib().failures.end() || it->second == 0)
        return false;
    if (it->second > 0)
        --it->second;
    note("failure injected");
    return true;
}

// A command that qvStandinFailCommand makes fail: the first prefix with
// failures left that the command starts with.
bool failingCommand(const std::string &command) {
    for (auto &f : lib().commandFailures)
        if (f.second != 0 && command.compare(0, f.first.size(), f.first) == 0) {
            if (f.second > 0)
                --f.second;
            note("failure injected");
            return true;
        }
    return false;
}

ServerSession *session() {
    auto it = lib().servers.find(lib().attached);
    return it == lib().servers.end() ? nullptr : it->second.get();
}

// A refused call about the query or a database: on a lenient server it
// succeeds all the same, as a lax data library would, and the log says why
// it would have failed.
int32_t refusal(const std::string &why) {
    ServerSession *s = session();
    bool lenient = s != nullptr && s->model().lenient;
    note(lenient ? "accepted all the same: " + why : why);
    return lenient ? 1 : 0;
}

Query *queryNamed(const char *name) {
    ServerSession *s = session();
    return s == nullptr ? nullptr : s->findQuery(str(name));
}

int16_t count16(size_t n) { return static_cast<int16_t>(n > 32767 ? 32767 : n); }

std::string attachMode() {
    auto it = lib().options.find("DefaultAttachMode");
    return it != lib().options.end() && sameName(it->second, "RO") ? "RO" : "RW";
}

int16_t openServer(const std::string &json, const std::string &source) {
    Library &l = lib();
    ServerModel model;
    std::string error;
    if (!parseModel(json, model, error)) {
        l.lastError = source + ": " + error;
        return 0;
    }
    if (l.nextHandle > 32767) {
        l.lastError = "no server handles are left";
        return 0;
    }
    int16_t handle = static_cast<int16_t>(l.nextHandle++);
    for (const auto &o : model.options)
        l.options[o.first] = o.second;
    for (const auto &f : model.failures)
        l.failures[f.first] = f.second;
    std::string title = model.title;
    l.servers[handle] = std::make_unique<ServerSession>(std::move(model));
    l.lastError.clear();
    l.log.add("-- server " + num(handle) + " opened: " + (title.empty() ? source : title));
    return handle;
}

std::string databaseText(const Database *db, int32_t form) {
    if (db == nullptr)
        return "";
    return form == 0 ? db->name : form == 1 ? db->path : "";
}

const QueryMeasure *measureAt(const char *query, int32_t index) {
    Query *q = queryNamed(query);
    if (q == nullptr || index < 0 || index >= static_cast<int32_t>(q->measures.size()))
        return nullptr;
    return &q->measures[index];
}

const CubeDimension *dimension(const char *query, int32_t edge, int32_t index) {
    Query *q = queryNamed(query);
    return q == nullptr ? nullptr : dimensionAt(*q, edge, index);
}

std::vector<std::string> dimArgs(const char *query, int32_t edge, int32_t index) {
    return {quoted(query), num(edge), num(index)};
}

// The text functions about a query's dimension share one shape.
const char *dimensionText(const char *fn, const char *query, int32_t edge, int32_t index,
                          std::string CubeDimension::*field) {
    const CubeDimension *d = failing(fn) ? nullptr : dimension(query, edge, index);
    std::string out = d == nullptr ? std::string() : d->*field;
    logCall(fn, dimArgs(query, edge, index), quoted(out));
    return give(out);
}

// QVDatabaseAttach (at the end, in the attach mode; an attached database
// stays) and QVDatabaseDetach.
int32_t databaseCall(const char *fn, const char *database, bool attach) {
    ServerSession *s = failing(fn) ? nullptr : session();
    int32_t ok = 0;
    if (s != nullptr) {
        const Database *db = s->findDatabase(str(database));
        std::string why = "no such database";
        ok = db != nullptr && (attach ? s->attachedIndex(db) >= 0 || s->attach(db, true, attachMode(), why)
                                      : s->detach(db, why));
        if (!ok)
            ok = refusal(why);
    }
    logCall(fn, {quoted(database)}, num(ok));
    return ok;
}

// An entry of the measure list that QVGetMeasures chose.
const char *listedText(const char *fn, int32_t index, std::string ListedMeasure::*field) {
    const std::vector<ListedMeasure> &list = lib().measureList;
    bool in = !failing(fn) && index >= 0 && index < static_cast<int32_t>(list.size());
    std::string out = in ? list[index].*field : "";
    logCall(fn, {num(index)}, quoted(out));
    return give(out);
}

int32_t logResult(const char *fn, const std::vector<std::string> &args, int32_t result) {
    logCall(fn, args, num(result));
    return result;
}

std::string readFile(const char *path, bool &ok) {
    std::ifstream in(str(path), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    ok = static_cast<bool>(in) || in.eof();
    return text.str();
}

}  // namespace

extern "C" {

int32_t qvStandinPagewrightCalls(void) {
    enterCall();
    return lib().pagewrightCalls;
}

int32_t qvStandinPagewrightFlag(void) {
    enterCall();
    return lib().pagewrightFlag;
}

int16_t qvStandinOpenServer(const char *modelFile) {
    enterCall();
    bool ok = false;
    std::string json = readFile(modelFile, ok);
    if (!ok || json.empty()) {
        lib().lastError = "cannot read the model file " + str(modelFile);
        return 0;
    }
    return openServer(json, str(modelFile));
}

int16_t qvStandinOpenServerText(const char *modelJson) {
    enterCall();
    return openServer(str(modelJson), "model text");
}

int32_t qvStandinCloseServer(int16_t handle) {
    enterCall();
    Library &l = lib();
    if (l.servers.erase(handle) == 0)
        return 0;
    if (l.attached == handle)
        l.attached = 0;
    l.log.add("-- server " + num(handle) + " closed");
    return 1;
}

int16_t qvStandinAttachedServer(void) {
    enterCall();
    return session() == nullptr ? 0 : lib().attached;
}

const char *qvStandinLastError(void) {
    enterCall();
    return give(lib().lastError);
}

int32_t qvStandinSetWizardPlans(int16_t handle, const char *plansJson) {
    enterCall();
    Library &l = lib();
    auto it = l.servers.find(handle);
    if (it == l.servers.end()) {
        l.lastError = "no server has the handle " + num(handle);
        return 0;
    }
    std::vector<WizardPlan> plans;
    std::string error;
    if (!parseWizardPlans(str(plansJson), plans, error, it->second->model().byteTexts)) {
        l.lastError = error;
        return 0;
    }
    it->second->plans.assign(plans.begin(), plans.end());
    l.lastError.clear();
    return 1;
}

int32_t qvStandinFailNext(const char *function, int32_t count) {
    enterCall();
    for (const char *fn : kFunctions)
        if (str(function) == fn) {
            lib().failures[fn] = count;
            lib().lastError.clear();
            return 1;
        }
    lib().lastError = "the data library has no function " + str(function);
    return 0;
}

int32_t qvStandinFailCommand(const char *prefix, int32_t count) {
    enterCall();
    if (str(prefix).empty()) {
        lib().lastError = "a failing command needs a prefix";
        return 0;
    }
    lib().commandFailures[str(prefix)] = count;
    lib().lastError.clear();
    return 1;
}

int32_t qvStandinLogCount(void) {
    enterCall();
    return static_cast<int32_t>(lib().log.size());
}

const char *qvStandinLogEntry(int32_t index) {
    enterCall();
    const CallLog &log = lib().log;
    return give(index >= 0 && static_cast<size_t>(index) < log.size() ? log.entry(index) : "");
}

const char *qvStandinLogText(void) {
    enterCall();
    return give(lib().log.text());
}
void qvStandinClearLog(void) {
    enterCall();
    lib().log.clear();
}

void qvStandinOverwriteReturnedTexts(int32_t on) {
    enterCall();
    returnedTexts().overwrite = on != 0;
}

void qvStandinReset(void) {
    enterCall();
    Library &l = lib();
    int32_t calls = l.pagewrightCalls, flag = l.pagewrightFlag;
    l = Library();
    l.pagewrightCalls = calls;
    l.pagewrightFlag = flag;
}

int32_t QVPagewright(int32_t flag) {
    enterCall();
    ++lib().pagewrightCalls;
    lib().pagewrightFlag = flag;
    return logResult("QVPagewright", {num(flag)}, 1);
}

void QVSetTarsikHome(const char *home) {
    enterCall();
    logCall("QVSetTarsikHome", {quoted(home)}, "");
}

void QVSetKHVMethod(uint32_t method) {
    enterCall();
    logCall("QVSetKHVMethod", {num(method)}, "");
}

int32_t QVConnectHandle(int16_t handle) {
    enterCall();
    int32_t ok = !failing("QVConnectHandle") && lib().servers.count(handle) != 0;
    if (ok)
        lib().attached = handle;
    return logResult("QVConnectHandle", {num(handle)}, ok);
}

void QVDisconnect(void) {
    enterCall();
    lib().attached = 0;
    logCall("QVDisconnect", {}, "");
}

void QVClose(void) {
    enterCall();
    Library &l = lib();
    l.attached = 0;
    for (auto &s : l.servers)
        s.second->queries.clear();
    l.measureList.clear();
    logCall("QVClose", {}, "");
}

const char *QVCreateQuery(void) {
    enterCall();
    ServerSession *s = failing("QVCreateQuery") ? nullptr : session();
    std::string name;
    if (s != nullptr) {
        name = "QUERY" + num(++lib().queryNumber);
        Query q;
        q.name = name;
        s->queries.push_back(q);
    }
    logCall("QVCreateQuery", {}, quoted(name));
    return give(name);
}

int32_t QVDeleteQuery(const char *query) {
    enterCall();
    ServerSession *s = failing("QVDeleteQuery") ? nullptr : session();
    int32_t ok = 0;
    if (s != nullptr)
        for (size_t i = 0; i < s->queries.size() && !ok; ++i)
            if (s->queries[i].name == str(query)) {
                s->queries.erase(s->queries.begin() + i);
                ok = 1;
            }
    return logResult("QVDeleteQuery", {quoted(query)}, ok);
}

const char *QVGetOption(const char *name) {
    enterCall();
    auto it = lib().options.find(str(name));
    std::string out = failing("QVGetOption") || it == lib().options.end() ? "" : it->second;
    logCall("QVGetOption", {quoted(name)}, quoted(out));
    return give(out);
}

void QVSetOption(const char *name, const char *value) {
    enterCall();
    if (!failing("QVSetOption") && !str(name).empty())
        lib().options[str(name)] = str(value);
    logCall("QVSetOption", {quoted(name), quoted(value)}, "");
}

int32_t QVStartWizard(const char *query, int32_t flags) {
    enterCall();
    ServerSession *s = failing("QVStartWizard") ? nullptr : session();
    Query *q = s == nullptr ? nullptr : s->findQuery(str(query));
    int32_t result = 0;
    if (q != nullptr && s->plans.empty()) {
        note("wizard: no plan left; the user closes the wizard");
        result = 2;
    } else if (q != nullptr) {
        WizardPlan plan = s->plans.front();
        s->plans.pop_front();
        result = runWizard(*s, *q, plan, attachMode(), note);
    }
    return logResult("QVStartWizard", {quoted(query), num(flags)}, result);
}

const char *QVExecuteEx(const char *command, int32_t *ok) {
    enterCall();
    ServerSession *s = session();
    CommandResult r;
    if (failing("QVExecuteEx") || failingCommand(str(command))) {
        r.ok = false;
    } else if (s == nullptr) {
        r.output = "ERROR: the data library is not connected to a server";
        r.ok = false;
    } else {
        r = executeCommand(*s, str(command));
    }
    if (ok != nullptr)
        *ok = r.ok ? 1 : 0;
    logCall("QVExecuteEx", {quoted(command), ok == nullptr ? "NULL" : "&ok"},
            quoted(r.output) + " ok=" + num(r.ok ? 1 : 0));
    return give(r.output);
}

const char *QVExecute(const char *command) {
    enterCall();
    ServerSession *s = session();
    std::string out;
    if (failing("QVExecute") || failingCommand(str(command)))
        out = "";
    else if (s == nullptr)
        out = "ERROR: the data library is not connected to a server";
    else
        out = executeCommand(*s, str(command)).output;
    logCall("QVExecute", {quoted(command)}, quoted(out));
    return give(out);
}

int16_t QVGetDatabaseCount(void) {
    enterCall();
    ServerSession *s = failing("QVGetDatabaseCount") ? nullptr : session();
    int16_t n = s == nullptr ? 0 : count16(s->attached().size());
    logCall("QVGetDatabaseCount", {}, num(n));
    return n;
}

const char *QVGetDatabase(int32_t index, int32_t form) {
    enterCall();
    ServerSession *s = failing("QVGetDatabase") ? nullptr : session();
    std::string out;
    if (s != nullptr && index >= 0 && index < static_cast<int32_t>(s->attached().size()))
        out = databaseText(s->attached()[index].database, form);
    logCall("QVGetDatabase", {num(index), num(form)}, quoted(out));
    return give(out);
}

int32_t QVDatabaseAttach(const char *database) {
    enterCall();
    return databaseCall("QVDatabaseAttach", database, true);
}

int32_t QVDatabaseDetach(const char *database) {
    enterCall();
    return databaseCall("QVDatabaseDetach", database, false);
}

int16_t QVGetMeasureCount(const char *query) {
    enterCall();
    Query *q = failing("QVGetMeasureCount") ? nullptr : queryNamed(query);
    int16_t n = q == nullptr ? 0 : count16(q->measures.size());
    logCall("QVGetMeasureCount", {quoted(query)}, num(n));
    return n;
}

const char *QVGetMeasureName(const char *query, int32_t index) {
    enterCall();
    const QueryMeasure *m = failing("QVGetMeasureName") ? nullptr : measureAt(query, index);
    std::string out = m == nullptr ? "" : m->name;
    logCall("QVGetMeasureName", {quoted(query), num(index)}, quoted(out));
    return give(out);
}

const char *QVGetMeasureDatabase(const char *query, int32_t index, int32_t form) {
    enterCall();
    const QueryMeasure *m = failing("QVGetMeasureDatabase") ? nullptr : measureAt(query, index);
    std::string out = m == nullptr ? "" : databaseText(m->database, form);
    logCall("QVGetMeasureDatabase", {quoted(query), num(index), num(form)}, quoted(out));
    return give(out);
}

int16_t QVGetMeasures(const char *database) {
    enterCall();
    ServerSession *s = failing("QVGetMeasures") ? nullptr : session();
    std::vector<ListedMeasure> &list = lib().measureList;
    list.clear();
    const Database *db = s == nullptr ? nullptr : s->findDatabase(str(database));
    if (db != nullptr && s->attachedIndex(db) >= 0)
        for (const ObjectRef &r : s->databaseMeasures(db))
            list.push_back({r.name(), r.description()});
    int16_t n = count16(list.size());
    logCall("QVGetMeasures", {quoted(database)}, num(n));
    return n;
}

const char *QVGetMeasure(int32_t index) {
    enterCall();
    return listedText("QVGetMeasure", index, &ListedMeasure::name);
}

const char *QVGetMeasureDesc(int32_t index) {
    enterCall();
    return listedText("QVGetMeasureDesc", index, &ListedMeasure::description);
}

int16_t QVGetDimEdgeCount(const char *query, int32_t edge) {
    enterCall();
    Query *q = failing("QVGetDimEdgeCount") ? nullptr : queryNamed(query);
    int16_t n = q == nullptr || edge < 0 || edge > 2 ? 0 : count16(q->edges[edge].size());
    logCall("QVGetDimEdgeCount", {quoted(query), num(edge)}, num(n));
    return n;
}

const char *QVGetDimensionName(const char *query, int32_t edge, int32_t index) {
    enterCall();
    return dimensionText("QVGetDimensionName", query, edge, index, &CubeDimension::name);
}

const char *QVGetDimensionDesc(const char *query, int32_t edge, int32_t index) {
    enterCall();
    return dimensionText("QVGetDimensionDesc", query, edge, index, &CubeDimension::description);
}

const char *QVGetDimensionHierName(const char *query, int32_t edge, int32_t index) {
    enterCall();
    return dimensionText("QVGetDimensionHierName", query, edge, index, &CubeDimension::hierarchy);
}

const char *QVGetSelectionScript(const char *query, int32_t edge, int32_t index) {
    enterCall();
    return dimensionText("QVGetSelectionScript", query, edge, index, &CubeDimension::selection);
}

const char *QVGetSelectionSortScript(const char *query, int32_t edge, int32_t index) {
    enterCall();
    return dimensionText("QVGetSelectionSortScript", query, edge, index, &CubeDimension::sort);
}

int32_t QVIsMeasureDimension(const char *query, int32_t edge, int32_t index) {
    enterCall();
    const CubeDimension *d = failing("QVIsMeasureDimension") ? nullptr : dimension(query, edge, index);
    return logResult("QVIsMeasureDimension", dimArgs(query, edge, index), d != nullptr && d->isMeasure);
}

int32_t QVAddMeasure(const char *query, const char *measure, const char *database) {
    enterCall();
    Query *q = failing("QVAddMeasure") ? nullptr : queryNamed(query);
    std::string why;
    int32_t ok = q != nullptr && addMeasure(*session(), *q, str(measure), str(database), why);
    if (q != nullptr && !ok)
        ok = refusal(why);
    return logResult("QVAddMeasure", {quoted(query), quoted(measure), quoted(database)}, ok);
}

int32_t QVCreateCube(const char *query) {
    enterCall();
    Query *q = failing("QVCreateCube") ? nullptr : queryNamed(query);
    std::string why;
    int32_t ok = q != nullptr && createCube(*session(), *q, why);
    if (q != nullptr && !ok)
        note(why);
    return logResult("QVCreateCube", {quoted(query)}, ok);
}

int32_t QVRunQuery(const char *query) {
    enterCall();
    Query *q = failing("QVRunQuery") ? nullptr : queryNamed(query);
    int32_t ok = q != nullptr && q->cubeBuilt && q->cubeCurrent;
    if (ok)
        ++q->runs;
    else if (q != nullptr)
        note(q->cubeBuilt ? "the measures changed since the cube was built" : "the query has no cube");
    return logResult("QVRunQuery", {quoted(query)}, ok);
}

int32_t QVSetDimensionEdge(const char *query, const char *dimension, int32_t edge, int32_t position,
                           int32_t flag) {
    enterCall();
    Query *q = failing("QVSetDimensionEdge") ? nullptr : queryNamed(query);
    std::string why;
    int32_t ok = q != nullptr && placeDimension(*q, str(dimension), edge, position, flag, why);
    if (q != nullptr && !ok)
        ok = refusal(why);
    return logResult("QVSetDimensionEdge",
                     {quoted(query), quoted(dimension), num(edge), num(position), num(flag)}, ok);
}

int32_t QVSetScript(const char *query, const char *dimension, const char *selectionScript,
                    const char *sortScript) {
    enterCall();
    Query *q = failing("QVSetScript") ? nullptr : queryNamed(query);
    std::string why, selection = str(selectionScript), sort = str(sortScript);
    int32_t ok = q != nullptr && setScripts(*q, str(dimension), &selection, &sort, why);
    if (q != nullptr && !ok)
        ok = refusal(why);
    return logResult("QVSetScript",
                     {quoted(query), quoted(dimension), quoted(selectionScript), quoted(sortScript)}, ok);
}

}  // extern "C"
