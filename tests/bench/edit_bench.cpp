// Whole edits of the generated report query (tools/pwhost/generated_query.h)
// at 1x, 10x and 100x its script and selection lines (1,927, 10,927 and
// 100,927 records): a new-query edit, a reopen of its stored definition with
// no change, and the change test of that reopen alone.
//
// What is timed is the module's own work, not the simulated server's. Each
// edit is made once, untimed, on the simulated server (the stand-in's
// library, loaded at run time), and every call the module made with what the
// library returned is recorded (tests/bench/replay_qvdata.h). The timed runs
// make the same cbqEdit call on a data library that answers each call from
// that recording: no server work, only a step to the next recorded call, a
// check that it is of the function called, and the recorded text or number.
// So an edit's time is the module's code, with the NLS stand-in that it
// measures and copies texts through and its allocations, plus the replay's
// few nanoseconds a call, which BM_ReplayAlone times on its own (the "calls"
// counter says how many calls an edit makes). Every timed run must make
// exactly the recorded calls and return what the recorded edit returned (a
// reopen: 0, unchanged); the first replay of a new-query edit must hand back
// the recorded text byte for byte. A run that does not is reported as an
// error, not timed.
//
// The change test alone is the module's changeTest over the two definitions
// of the reopen: the output definition that the serialiser writes for the
// query (copied record by record during the recorded new-query edit: the
// reopen writes the same records, as it finds no change) and the input
// definition parsed from the stored text.
//
// Run by hand: build/linux-bench/bin/bench_edit [--benchmark_filter=...].
// Each size is recorded when a benchmark first needs it; the reopen records
// and times whole reopens, which take as long as the module's lookups take.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "cbq90.h"
#include "host/memory.h"
#include "host/tsknls.h"
#include "query/edit_steps.h"
#include "query/query_definition.h"
#include "query/query_session.h"
#include "tests/bench/replay_qvdata.h"
#include "tools/pwhost/generated_query.h"

namespace {

// The connection handle of a replayed edit: the replaying library answers
// whatever the arguments are.
const int16_t kReplayHandle = 1;

const char kNoChangePlan[] = R"({"name": "reopened and finished without a change", "steps": []})";

using Records = std::vector<std::pair<std::string, std::string>>;

struct Size {
    std::string model;
    long records = 0;
    std::string error;  // why this size cannot be measured
    // The new-query edit: its calls and the stored text it handed back.
    replay::Recording newEdit;
    std::string stored;
    Records output;  // the output definition's records, in order
    std::string outputWorking;
    // The reopen of the stored text, recorded when first needed.
    bool reopenRecorded = false;
    replay::Recording reopen;
};

struct Outcome {
    ResultCode result = 0;
    uint8_t changed = 0;
    std::string text;  // what the definition pointer holds afterwards, when kept
};

// One cbqEdit as a report designer makes it: the host's own block for a
// stored text, the module's text and columns freed afterwards.
Outcome edit(int16_t handle, const std::string *stored, bool keepText) {
    Credentials credentials = {};
    ConnectionSettings settings = {};
    HostConnection connection = {0, 0, &credentials, &settings, handle};
    std::vector<char> block;
    char *definition = nullptr;
    if (stored != nullptr) {
        block.assign(stored->begin(), stored->end());
        block.push_back('\0');
        definition = block.data();
    }
    Outcome out;
    uint8_t measures = 0, columnCount = 0;
    PWQCOL *columns = nullptr;
    out.result = cbqEdit(&connection, &definition, &out.changed, &measures, &columns, &columnCount, 0);
    if (keepText && definition != nullptr)
        out.text = definition;
    if (definition != nullptr && (block.empty() || definition != block.data()))
        cbqFreeMem(definition);
    cbqFreePWQCOL(columns, columnCount);
    return out;
}

// The change test of the recorded new-query edit, copying the serialiser's
// output definition on its way.
Size *capturing = nullptr;

int32_t capturingChangeTest(const QuerySession *session) {
    const QueryDefinition &out = *session->outputDefinition;
    size_t position = 0;
    QueryDefinition::Record r;
    while (out.nextRecord(&position, &r))
        capturing->output.emplace_back(std::string(r.name, r.nameLength), std::string(r.value, r.valueLength));
    capturing->outputWorking.assign(out.workingText().text(), out.workingText().length());
    return kModuleEditSteps.changeTest(session);
}

bool recordNewEdit(Size &s) {
    int16_t handle = replay::openServer(s.model);
    if (handle == 0) {
        s.error = "the stand-in refused the generated model: " + replay::lastError();
        return false;
    }
    capturing = &s;
    editSteps.changeTest = capturingChangeTest;
    replay::startRecording(&s.newEdit);
    Outcome out = edit(handle, nullptr, true);
    replay::stop();
    editSteps = kModuleEditSteps;
    replay::closeServer(handle);
    if (out.result != 0 || out.changed != 1) {
        s.error = "the new-query edit on the simulated server returned " + std::to_string(out.result);
        return false;
    }
    s.stored = out.text;
    return true;
}

// The definitions of the reopen's change test, as the session holds them.
bool buildChangeTest(const Size &s, QuerySession &session) {
    session.outputDefinition = memNew<QueryDefinition>();
    session.inputDefinition = memNew<QueryDefinition>();
    if (session.outputDefinition == nullptr || session.inputDefinition == nullptr ||
        !session.inputDefinition->parseStored(s.stored.c_str()))
        return false;
    for (const auto &r : s.output)
        if (!session.outputDefinition->addText(r.first.c_str(), r.second.c_str()))
            return false;
    const GrowableText &copy = session.outputDefinition->workingText();
    return std::string(copy.text(), copy.length()) == s.outputWorking;
}

// The size at a factor, with its new-query edit recorded and checked.
Size &sizeAt(int factor) {
    static std::map<int, Size> sizes;
    auto found = sizes.find(factor);
    if (found != sizes.end())
        return found->second;
    Size &s = sizes[factor];
    GeneratedQuerySizes query = scaledQuerySizes(factor);
    s.model = generatedServerModel(query);
    s.records = generatedRecordCount(query);
    if (!recordNewEdit(s))
        return s;
    if (static_cast<long>(s.output.size()) != s.records) {
        s.error = "the stored query holds " + std::to_string(s.output.size()) + " records, not " +
                  std::to_string(s.records);
        return s;
    }
    // The first replay must give the recorded edit's text exactly.
    replay::startReplay(&s.newEdit);
    Outcome again = edit(kReplayHandle, nullptr, true);
    if (!replay::stop() || again.result != 0 || again.text != s.stored)
        s.error = "the replayed new-query edit differs from the recorded one";
    return s;
}

bool recordReopen(Size &s) {
    if (s.reopenRecorded)
        return true;
    int16_t handle = replay::openServer(s.model);
    if (handle == 0 || !replay::setWizardPlans(handle, kNoChangePlan)) {
        s.error = "the stand-in refused the reopen: " + replay::lastError();
        return false;
    }
    replay::startRecording(&s.reopen);
    Outcome out = edit(handle, &s.stored, false);
    replay::stop();
    replay::closeServer(handle);
    if (out.result != 0 || out.changed != 0) {
        s.error = "the reopen on the simulated server returned " + std::to_string(out.result) + ", changed " +
                  std::to_string(out.changed);
        return false;
    }
    s.reopenRecorded = true;
    return true;
}

void report(benchmark::State &state, const Size &s, const replay::Recording &calls) {
    state.counters["records"] = static_cast<double>(s.records);
    state.counters["calls"] = static_cast<double>(calls.size());
}

// Times replays of a recorded edit: the host's stored text (null: a new
// query) and the changed flag the recording gave.
void timeReplays(benchmark::State &state, Size &s, const replay::Recording &recording,
                 const std::string *stored, uint8_t changed, const char *failure) {
    for (auto _ : state) {
        replay::startReplay(&recording);
        Outcome out = edit(kReplayHandle, stored, false);
        if (!replay::stop() || out.result != 0 || out.changed != changed) {
            state.SkipWithError(failure);
            break;
        }
    }
    report(state, s, recording);
}

void BM_NewQueryEdit(benchmark::State &state) {
    Size &s = sizeAt(static_cast<int>(state.range(0)));
    if (!s.error.empty()) {
        state.SkipWithError(s.error.c_str());
        return;
    }
    timeReplays(state, s, s.newEdit, nullptr, 1, "the replayed edit did not follow the recording");
}

void BM_ReopenUnchanged(benchmark::State &state) {
    Size &s = sizeAt(static_cast<int>(state.range(0)));
    if (!s.error.empty() || !recordReopen(s)) {
        state.SkipWithError(s.error.c_str());
        return;
    }
    timeReplays(state, s, s.reopen, &s.stored, 0, "the replayed reopen did not follow the recording");
}

void BM_ChangeTest(benchmark::State &state) {
    Size &s = sizeAt(static_cast<int>(state.range(0)));
    QuerySession session;
    if (!s.error.empty() || !buildChangeTest(s, session)) {
        state.SkipWithError(s.error.empty() ? "the reopen's definitions could not be built" : s.error.c_str());
        return;
    }
    for (auto _ : state) {
        int32_t changed = kModuleEditSteps.changeTest(&session);
        benchmark::DoNotOptimize(changed);
        if (changed != 0) {
            state.SkipWithError("the change test found a change in an unchanged reopen");
            break;
        }
    }
    state.counters["records"] = static_cast<double>(s.records);
}

// The replay's own share of a new-query edit: every recorded call stepped
// through as the replaying data library steps through it.
void BM_ReplayAlone(benchmark::State &state) {
    Size &s = sizeAt(static_cast<int>(state.range(0)));
    if (!s.error.empty()) {
        state.SkipWithError(s.error.c_str());
        return;
    }
    for (auto _ : state) {
        replay::startReplay(&s.newEdit);
        for (const replay::Call &c : s.newEdit)
            benchmark::DoNotOptimize(replay::nextCall(c.function));
        replay::stop();
    }
    report(state, s, s.newEdit);
}

}  // namespace

BENCHMARK(BM_NewQueryEdit)->ArgName("scale")->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReopenUnchanged)->ArgName("scale")->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChangeTest)->ArgName("scale")->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplayAlone)->ArgName("scale")->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv) {
    // The module needs a home directory; the demo's serves.
    setenv("TARSIK_HOME", CBQ_DEMO_HOME, 0);
    std::string error;
    if (!replay::loadServer(CBQ_STANDIN_QVDATA, error)) {
        fprintf(stderr, "bench_edit: %s\n", error.c_str());
        return 1;
    }
    cbqInit(nlsOpenLanguage("LATIN1"), nlsGlobalContext(), 0, nullptr);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    cbqTerm();
    return 0;
}
