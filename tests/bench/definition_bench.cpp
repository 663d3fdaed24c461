// The stored definition at 100, 1,000 and 10,000 records: building,
// encoding and cutting into the host's lines, parsing, looking up every
// record, the change test, and the whole cycle. Lookups search from the
// start of the text, so looking up every record costs quadratic time.
#include <benchmark/benchmark.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "query/query_definition.h"

namespace {

struct Sample {
    std::vector<std::string> names;
    std::vector<std::string> values;
};

// Records shaped like a serialised query's script lines, each value holding
// a backslash so that the encoding has something to double.
Sample makeSample(int count) {
    Sample s;
    for (int i = 0; i < count; ++i) {
        char name[QueryDefinition::kNameSize];
        formatRecordName(name, "E%dDim%dScript%d", i % 3, (i / 3) % 20, i / 60);
        s.names.push_back(name);
        s.values.push_back("limit PRODUCT to 'MEMBER_" + std::to_string(i) + "' \\ keep");
    }
    return s;
}

void build(const Sample &s, QueryDefinition *d) {
    for (size_t i = 0; i < s.names.size(); ++i)
        d->addText(s.names[i].c_str(), s.values[i].c_str());
}

std::string hostText(const Sample &s) {
    QueryDefinition d;
    build(s, &d);
    GrowableText out;
    produceHostText(&d, &out);
    return std::string(out.text(), out.length());
}

void lookUpEvery(const Sample &s, const QueryDefinition &d) {
    GrowableText value;
    for (const std::string &name : s.names) {
        int found = d.findText(name.c_str(), &value);
        benchmark::DoNotOptimize(found);
    }
}

void BM_Build(benchmark::State &state) {
    Sample s = makeSample(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QueryDefinition d;
        build(s, &d);
        benchmark::DoNotOptimize(d.workingText().text());
    }
    state.SetComplexityN(state.range(0));
}

void BM_EncodeAndSegment(benchmark::State &state) {
    Sample s = makeSample(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        QueryDefinition d;
        build(s, &d);
        GrowableText out;
        state.ResumeTiming();
        produceHostText(&d, &out);
        benchmark::DoNotOptimize(out.text());
    }
    state.SetComplexityN(state.range(0));
}

void BM_Parse(benchmark::State &state) {
    Sample s = makeSample(static_cast<int>(state.range(0)));
    std::string stored = hostText(s);
    for (auto _ : state) {
        QueryDefinition d;
        d.parseStored(stored.data(), stored.size());
        benchmark::DoNotOptimize(d.workingText().text());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stored.size()));
    state.SetComplexityN(state.range(0));
}

void BM_LookUpEveryRecord(benchmark::State &state) {
    Sample s = makeSample(static_cast<int>(state.range(0)));
    std::string stored = hostText(s);
    QueryDefinition d;
    d.parseStored(stored.data(), stored.size());
    for (auto _ : state)
        lookUpEvery(s, d);
    state.SetComplexityN(state.range(0));
}

void BM_IsCoveredBy(benchmark::State &state) {
    Sample s = makeSample(static_cast<int>(state.range(0)));
    QueryDefinition built;
    build(s, &built);
    std::string stored = hostText(s);
    QueryDefinition parsed;
    parsed.parseStored(stored.data(), stored.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(built.isCoveredBy(parsed));
    state.SetComplexityN(state.range(0));
}

void BM_WholeCycle(benchmark::State &state) {
    Sample s = makeSample(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QueryDefinition out;
        build(s, &out);
        GrowableText host;
        produceHostText(&out, &host);
        QueryDefinition in;
        in.parseStored(host.text(), host.length());
        lookUpEvery(s, in);
    }
    state.SetComplexityN(state.range(0));
}

}  // namespace

BENCHMARK(BM_Build)->RangeMultiplier(10)->Range(100, 10000)->Complexity();
BENCHMARK(BM_EncodeAndSegment)->RangeMultiplier(10)->Range(100, 10000)->Complexity();
BENCHMARK(BM_Parse)->RangeMultiplier(10)->Range(100, 10000)->Complexity();
BENCHMARK(BM_LookUpEveryRecord)->RangeMultiplier(10)->Range(100, 10000)->Complexity();
BENCHMARK(BM_IsCoveredBy)->RangeMultiplier(10)->Range(100, 10000)->Complexity();
BENCHMARK(BM_WholeCycle)->RangeMultiplier(10)->Range(100, 10000)->Complexity();

BENCHMARK_MAIN();
