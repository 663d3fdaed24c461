// The stored definition at 100 to 100,000 records: building, encoding and
// cutting into the host's lines, parsing, looking up every record, the
// change test, and the whole cycle. The lookups go through the definition's
// index; the *Plain benchmarks answer the same questions with the plain
// search of the whole text that the index replaces (quadratic time, so they
// stop at 10,000 records).
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "query/query_definition.h"
#include "query/record_index.h"

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

// The value of name by the plain search, as a lookup before the index.
int plainFind(const QueryDefinition &d, const std::string &name, GrowableText *value) {
    const GrowableText &text = d.workingText();
    value->clear();
    long at = findRecordPlain(text.text(), text.length(), name.data(), name.size());
    if (at < 0)
        return QueryDefinition::kMissing;
    const char *start = text.text() + at + name.size() + 1;
    const char *end = text.text() + text.length();
    const char *cr = static_cast<const char *>(memchr(start, '\r', static_cast<size_t>(end - start)));
    value->append(start, static_cast<size_t>((cr == nullptr ? end : cr) - start));
    return QueryDefinition::kFound;
}

// isCoveredBy by the plain search.
int plainCoveredBy(const QueryDefinition &mine, const QueryDefinition &other) {
    size_t position = 0;
    QueryDefinition::Record record;
    GrowableText theirs, own;
    while (mine.nextRecord(&position, &record)) {
        std::string name(record.name, record.nameLength);
        if (plainFind(other, name, &theirs) != QueryDefinition::kFound)
            return 0;
        plainFind(mine, name, &own);
        if (own.length() != theirs.length() || memcmp(own.text(), theirs.text(), own.length()) != 0)
            return 0;
    }
    return 1;
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

void BM_LookUpEveryRecordPlain(benchmark::State &state) {
    Sample s = makeSample(static_cast<int>(state.range(0)));
    std::string stored = hostText(s);
    QueryDefinition d;
    d.parseStored(stored.data(), stored.size());
    GrowableText value;
    for (auto _ : state) {
        for (const std::string &name : s.names)
            benchmark::DoNotOptimize(plainFind(d, name, &value));
    }
    state.SetComplexityN(state.range(0));
}

// The change test of a built definition against its parsed stored text,
// answered by `covered` (isCoveredBy or the plain search).
template <int (*covered)(const QueryDefinition &, const QueryDefinition &)>
void changeTest(benchmark::State &state) {
    Sample s = makeSample(static_cast<int>(state.range(0)));
    QueryDefinition built;
    build(s, &built);
    std::string stored = hostText(s);
    QueryDefinition parsed;
    parsed.parseStored(stored.data(), stored.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(covered(built, parsed));
    state.SetComplexityN(state.range(0));
}

int indexedCoveredBy(const QueryDefinition &mine, const QueryDefinition &other) {
    return mine.isCoveredBy(other);
}

void BM_IsCoveredBy(benchmark::State &state) { changeTest<indexedCoveredBy>(state); }
void BM_IsCoveredByPlain(benchmark::State &state) { changeTest<plainCoveredBy>(state); }

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

BENCHMARK(BM_Build)->RangeMultiplier(10)->Range(100, 100000)->Complexity();
BENCHMARK(BM_EncodeAndSegment)->RangeMultiplier(10)->Range(100, 100000)->Complexity();
BENCHMARK(BM_Parse)->RangeMultiplier(10)->Range(100, 100000)->Complexity();
BENCHMARK(BM_LookUpEveryRecord)->RangeMultiplier(10)->Range(100, 100000)->Complexity()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LookUpEveryRecordPlain)->RangeMultiplier(10)->Range(100, 10000)->Complexity()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IsCoveredBy)->RangeMultiplier(10)->Range(100, 100000)->Complexity()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IsCoveredByPlain)->RangeMultiplier(10)->Range(100, 10000)->Complexity()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeCycle)->RangeMultiplier(10)->Range(100, 100000)->Complexity();

BENCHMARK_MAIN();
