// A large report query, generated: the server model of a simulated server
// whose wizard plan builds it, so that whole edits can be measured and tried
// at any size (pwhost generate, and the edit benchmark).
//
// The query: `databases` databases GEN01, GEN02, ..., which share the
// `dimensions` dimensions DIM001, ... (as the databases of one business
// share time, product and region), and `measures` measures MEASURE001, ...,
// the i-th (from 0) in database i % databases and dimensioned by all the
// dimensions. Each dimension has a long label, a hierarchy,
// a selection script of `scriptLines` lines whose last line brings in its
// saved selection DIMnnn.SEL (a list of `selectionLines` members), and a sort
// script of one line. The wizard plan adds every measure from its database
// and writes the scripts of every dimension; the new cube places the
// dimensions as the data library does (the measure dimension across, the
// first dimension down, the rest on the page edge).
//
// The defaults are the query of a large report: 10 databases, 55 measures,
// 100 dimensions (255 column records, the most a host accepts), 10 script
// lines and 10 saved-selection members, stored as 1,927 records. Ten and a
// hundred times its script and selection lines are the larger sizes.
#ifndef CBQ_TOOLS_PWHOST_GENERATED_QUERY_H
#define CBQ_TOOLS_PWHOST_GENERATED_QUERY_H

#include <string>

struct GeneratedQuerySizes {
    int databases = 10;
    int measures = 55;
    int dimensions = 100;
    int scriptLines = 10;
    int selectionLines = 10;
};

// The sizes with the script and selection lines multiplied by factor.
GeneratedQuerySizes scaledQuerySizes(int factor);

// Every size must be at least 1, and there must be a measure for each
// database (so that the query uses every database). False and why in
// error otherwise.
bool checkQuerySizes(const GeneratedQuerySizes &sizes, std::string &error);

// The server model (demo/servers/README.md has the format) as JSON text,
// with the one wizard plan that builds the query. The sizes must pass
// checkQuerySizes.
std::string generatedServerModel(const GeneratedQuerySizes &sizes);

// How many records the stored definition of the finished query holds.
long generatedRecordCount(const GeneratedQuerySizes &sizes);

#endif
