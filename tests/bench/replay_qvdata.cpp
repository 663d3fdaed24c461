#include "tests/bench/replay_qvdata.h"

#include <dlfcn.h>

#include <type_traits>

#include "host/qvdata.h"

// Every QV function but QVExecuteEx (whose flag is written by hand below):
// X(result type, name, parameters, arguments).
#define CBQ_QV_FUNCTIONS(X)                                                                          \
    X(int32_t, QVPagewright, (int32_t flag), (flag))                                                 \
    X(void, QVSetTarsikHome, (const char *home), (home))                                             \
    X(void, QVSetKHVMethod, (uint32_t method), (method))                                             \
    X(int32_t, QVConnectHandle, (int16_t handle), (handle))                                          \
    X(void, QVDisconnect, (void), ())                                                                \
    X(void, QVClose, (void), ())                                                                     \
    X(const char *, QVCreateQuery, (void), ())                                                       \
    X(int32_t, QVDeleteQuery, (const char *query), (query))                                          \
    X(const char *, QVGetOption, (const char *name), (name))                                         \
    X(void, QVSetOption, (const char *name, const char *value), (name, value))                       \
    X(int32_t, QVStartWizard, (const char *query, int32_t flags), (query, flags))                    \
    X(const char *, QVExecute, (const char *command), (command))                                     \
    X(int16_t, QVGetDatabaseCount, (void), ())                                                       \
    X(const char *, QVGetDatabase, (int32_t index, int32_t form), (index, form))                     \
    X(int32_t, QVDatabaseAttach, (const char *database), (database))                                 \
    X(int32_t, QVDatabaseDetach, (const char *database), (database))                                 \
    X(int16_t, QVGetMeasureCount, (const char *query), (query))                                      \
    X(const char *, QVGetMeasureName, (const char *query, int32_t index), (query, index))            \
    X(const char *, QVGetMeasureDatabase, (const char *query, int32_t index, int32_t form),           \
      (query, index, form))                                                                          \
    X(int16_t, QVGetMeasures, (const char *database), (database))                                    \
    X(const char *, QVGetMeasure, (int32_t index), (index))                                          \
    X(const char *, QVGetMeasureDesc, (int32_t index), (index))                                      \
    X(int16_t, QVGetDimEdgeCount, (const char *query, int32_t edge), (query, edge))                  \
    X(const char *, QVGetDimensionName, (const char *query, int32_t edge, int32_t index),            \
      (query, edge, index))                                                                          \
    X(const char *, QVGetDimensionDesc, (const char *query, int32_t edge, int32_t index),            \
      (query, edge, index))                                                                          \
    X(const char *, QVGetDimensionHierName, (const char *query, int32_t edge, int32_t index),        \
      (query, edge, index))                                                                          \
    X(const char *, QVGetSelectionScript, (const char *query, int32_t edge, int32_t index),          \
      (query, edge, index))                                                                          \
    X(const char *, QVGetSelectionSortScript, (const char *query, int32_t edge, int32_t index),      \
      (query, edge, index))                                                                          \
    X(int32_t, QVIsMeasureDimension, (const char *query, int32_t edge, int32_t index),               \
      (query, edge, index))                                                                          \
    X(int32_t, QVAddMeasure, (const char *query, const char *measure, const char *database),         \
      (query, measure, database))                                                                    \
    X(int32_t, QVCreateCube, (const char *query), (query))                                           \
    X(int32_t, QVRunQuery, (const char *query), (query))                                             \
    X(int32_t, QVSetDimensionEdge,                                                                   \
      (const char *query, const char *dimension, int32_t edge, int32_t position, int32_t flag),      \
      (query, dimension, edge, position, flag))                                                      \
    X(int32_t, QVSetScript,                                                                          \
      (const char *query, const char *dimension, const char *selection, const char *sort),           \
      (query, dimension, selection, sort))

namespace replay {

namespace {

enum Function {
#define CBQ_QV_ID(result, name, parameters, arguments) k##name,
    CBQ_QV_FUNCTIONS(CBQ_QV_ID)
#undef CBQ_QV_ID
        kQVExecuteEx
};

// The stand-in's functions, resolved by name.
struct Server {
#define CBQ_QV_POINTER(result, name, parameters, arguments) result(*name) parameters = nullptr;
    CBQ_QV_FUNCTIONS(CBQ_QV_POINTER)
#undef CBQ_QV_POINTER
    const char *(*QVExecuteEx)(const char *, int32_t *) = nullptr;
    int16_t (*openText)(const char *) = nullptr;
    int32_t (*setPlans)(int16_t, const char *) = nullptr;
    int32_t (*close)(int16_t) = nullptr;
    const char *(*lastError)(void) = nullptr;
};

struct State {
    enum Mode { kIdle, kRecording, kReplaying } mode = kIdle;
    Server server;
    Recording *recording = nullptr;
    const Recording *replaying = nullptr;
    size_t next = 0;
    bool diverged = false;
};

State &state() {
    static State s;
    return s;
}

template <class F>
bool resolve(void *library, const char *name, F &out, std::string &error) {
    out = reinterpret_cast<F>(dlsym(library, name));
    if (out == nullptr && error.empty())
        error = std::string("the stand-in has no ") + name;
    return out != nullptr;
}

Call &recordCall(int function) {
    state().recording->emplace_back();
    Call &c = state().recording->back();
    c.function = function;
    return c;
}

// One call of a function with a result of type R (void, a text or a number):
// forwarded and recorded, replayed, or answered as by an idle library.
template <class R, class Forward>
R call(int function, Forward forward) {
    State &s = state();
    if (s.mode == State::kRecording) {
        if constexpr (std::is_void_v<R>) {
            forward();
            recordCall(function);
            return;
        } else {
            R result = forward();
            Call &c = recordCall(function);
            if constexpr (std::is_same_v<R, const char *>)
                c.text = result;
            else
                c.number = result;
            return result;
        }
    }
    const Call *c = s.mode == State::kReplaying ? nextCall(function) : nullptr;
    (void)c;  // a function without a result only checks its place in the order
    if constexpr (std::is_same_v<R, const char *>)
        return c == nullptr ? "" : c->text.c_str();
    else if constexpr (!std::is_void_v<R>)
        return c == nullptr ? 0 : static_cast<R>(c->number);
}

}  // namespace

bool loadServer(const std::string &path, std::string &error) {
    void *library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        error = dlerror();
        return false;
    }
    Server &server = state().server;
    error.clear();
#define CBQ_QV_RESOLVE(result, name, parameters, arguments) resolve(library, #name, server.name, error);
    CBQ_QV_FUNCTIONS(CBQ_QV_RESOLVE)
#undef CBQ_QV_RESOLVE
    resolve(library, "QVExecuteEx", server.QVExecuteEx, error);
    resolve(library, "qvStandinOpenServerText", server.openText, error);
    resolve(library, "qvStandinSetWizardPlans", server.setPlans, error);
    resolve(library, "qvStandinCloseServer", server.close, error);
    resolve(library, "qvStandinLastError", server.lastError, error);
    return error.empty();
}

int16_t openServer(const std::string &modelJson) { return state().server.openText(modelJson.c_str()); }

bool setWizardPlans(int16_t handle, const std::string &plansJson) {
    return state().server.setPlans(handle, plansJson.c_str()) != 0;
}

void closeServer(int16_t handle) { state().server.close(handle); }

std::string lastError() { return state().server.lastError(); }

void startRecording(Recording *into) {
    State &s = state();
    into->clear();
    s.mode = State::kRecording;
    s.recording = into;
}

void startReplay(const Recording *from) {
    State &s = state();
    s.mode = State::kReplaying;
    s.replaying = from;
    s.next = 0;
    s.diverged = false;
}

const Call *nextCall(int function) {
    State &s = state();
    if (s.diverged || s.next >= s.replaying->size() || (*s.replaying)[s.next].function != function) {
        s.diverged = true;
        return nullptr;
    }
    return &(*s.replaying)[s.next++];
}

bool stop() {
    State &s = state();
    bool followed = s.mode != State::kReplaying || (!s.diverged && s.next == s.replaying->size());
    s.mode = State::kIdle;
    s.recording = nullptr;
    s.replaying = nullptr;
    return followed;
}

}  // namespace replay

extern "C" {

#define CBQ_QV_DEFINE(result, name, parameters, arguments)                                      \
    result name parameters {                                                                    \
        return replay::call<result>(replay::k##name, [&] { return replay::state().server.name arguments; }); \
    }
CBQ_QV_FUNCTIONS(CBQ_QV_DEFINE)
#undef CBQ_QV_DEFINE

const char *QVExecuteEx(const char *command, int32_t *ok) {
    using replay::State;
    State &s = replay::state();
    if (s.mode == State::kRecording) {
        int32_t flag = 0;
        const char *text = s.server.QVExecuteEx(command, &flag);
        replay::Call &c = replay::recordCall(replay::kQVExecuteEx);
        c.text = text;
        c.number = flag;
        if (ok != nullptr)
            *ok = flag;
        return text;
    }
    const replay::Call *c = s.mode == State::kReplaying ? replay::nextCall(replay::kQVExecuteEx) : nullptr;
    if (ok != nullptr)
        *ok = c == nullptr ? 0 : c->number;
    return c == nullptr ? "" : c->text.c_str();
}

}  // extern "C"
