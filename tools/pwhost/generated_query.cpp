#include "tools/pwhost/generated_query.h"

#include <stdio.h>

#include <vector>

namespace {

std::string numbered(const char *format, int n) {
    char text[64];
    snprintf(text, sizeof text, format, n);
    return text;
}

std::string databaseName(int d) { return numbered("GEN%02d", d + 1); }
std::string measureName(int i) { return numbered("MEASURE%03d", i + 1); }
std::string dimensionName(int j) { return numbered("DIM%03d", j + 1); }
std::string memberName(const std::string &dimension, int m) { return dimension + numbered(".M%03d", m); }

// The generated texts hold no quote or control character; paths hold
// backslashes.
std::string quoted(const std::string &text) {
    std::string out = "\"";
    for (char c : text)
        out += c == '\\' ? "\\\\" : std::string(1, c);
    return out + "\"";
}

std::string quotedList(const std::vector<std::string> &items, const char *indent) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i)
        out += (i ? ",\n" : "\n") + std::string(indent) + quoted(items[i]);
    return out + "]";
}

std::string databaseJson(const GeneratedQuerySizes &s, int d) {
    std::string name = databaseName(d), out;
    out += "    {\"name\": " + quoted(name) + ", \"path\": " + quoted("C:\\Quorvel\\data\\" + name + ".DB") +
           ",\n     \"description\": " + quoted("Generated database " + std::to_string(d + 1)) +
           ",\n     \"dimensions\": [";
    const char *separator = "\n";
    for (int j = 0; j < s.dimensions; ++j) {
        std::string dim = dimensionName(j);
        out += separator + ("       {\"name\": " + quoted(dim) + ", \"description\": " +
                            quoted("Dimension " + std::to_string(j + 1)) +
                            ", \"hierarchy\": \"LEVELS\", \"longLabel\": " +
                            quoted("Dimension " + std::to_string(j + 1) + " by level") + "}");
        separator = ",\n";
    }
    out += "],\n     \"measures\": [";
    separator = "\n";
    for (int i = d; i < s.measures; i += s.databases) {
        out += separator + ("       {\"name\": " + quoted(measureName(i)) + ", \"description\": " +
                            quoted("Measure " + std::to_string(i + 1)) + "}");
        separator = ",\n";
    }
    return out + "]}";
}

std::string savedSelectionJson(const GeneratedQuerySizes &s, int j) {
    std::string dim = dimensionName(j);
    std::vector<std::string> members;
    for (int m = 1; m <= s.selectionLines; ++m)
        members.push_back(memberName(dim, m));
    return "    {\"name\": " + quoted(dim + ".SEL") + ", \"type\": \"LIST\", \"value\": " +
           quotedList(members, "      ") + "}";
}

// Pairs of members limited in turn, then the saved selection.
std::vector<std::string> selectionScript(const GeneratedQuerySizes &s, const std::string &dim) {
    std::vector<std::string> lines;
    for (int k = 0; k + 1 < s.scriptLines; ++k)
        lines.push_back("limit " + dim + (k == 0 ? " to '" : " add '") + memberName(dim, 2 * k + 1) + "' '" +
                        memberName(dim, 2 * k + 2) + "'");
    lines.push_back("call QV_SLSEL('SAVED' '" + dim + "' '" + dim + ".SEL')");
    return lines;
}

std::string wizardPlanJson(const GeneratedQuerySizes &s) {
    std::string out = "    {\"name\": \"Generated report query\",\n     \"steps\": [";
    const char *separator = "\n";
    for (int i = 0; i < s.measures; ++i) {
        out += separator + ("       {\"addMeasure\": " + quoted(measureName(i)) +
                            ", \"database\": " + quoted(databaseName(i % s.databases)) + "}");
        separator = ",\n";
    }
    for (int j = 0; j < s.dimensions; ++j) {
        std::string dim = dimensionName(j);
        std::string sort = "call QV_SLLIMIT('" + dim + "' 'SORTVALS' 'DESCENDING' '" +
                           measureName(j % s.databases) + "')";
        out += separator + ("       {\"script\": " + quoted(dim) + ",\n        \"selection\": " +
                            quotedList(selectionScript(s, dim), "          ") +
                            ",\n        \"sort\": " + quoted(sort) + "}");
    }
    return out + "],\n     \"result\": \"finished\"}";
}

}  // namespace

GeneratedQuerySizes scaledQuerySizes(int factor) {
    GeneratedQuerySizes s;
    s.scriptLines *= factor;
    s.selectionLines *= factor;
    return s;
}

bool checkQuerySizes(const GeneratedQuerySizes &s, std::string &error) {
    if (s.databases < 1 || s.measures < 1 || s.dimensions < 1 || s.scriptLines < 1 || s.selectionLines < 1) {
        error = "every size must be at least 1";
        return false;
    }
    if (s.measures < s.databases) {
        error = "each database needs a measure: at least as many measures as databases";
        return false;
    }
    return true;
}

std::string generatedServerModel(const GeneratedQuerySizes &s) {
    std::string out = "{\n  \"title\": " +
                      quoted("Generated report server: " + std::to_string(s.databases) + " databases, " +
                             std::to_string(s.measures) + " measures, " + std::to_string(s.dimensions) +
                             " dimensions, " + std::to_string(s.scriptLines) + " script lines, " +
                             std::to_string(s.selectionLines) + " selection lines") +
                      ",\n  \"databases\": [\n";
    for (int d = 0; d < s.databases; ++d)
        out += (d ? ",\n" : "") + databaseJson(s, d);
    out += "],\n  \"savedSelections\": [\n";
    for (int j = 0; j < s.dimensions; ++j)
        out += (j ? ",\n" : "") + savedSelectionJson(s, j);
    out += "],\n  \"wizard\": [\n" + wizardPlanJson(s) + "]\n}\n";
    return out;
}

long generatedRecordCount(const GeneratedQuerySizes &s) {
    long databases = s.databases + 1;                            // DB<n>, DBCount
    long measures = 1 + s.measures * (s.databases > 1 ? 2 : 1);  // MeasureCount, Measure<i>, M<i>DB
    long edgeCounts = 3;                                         // E<e>Count
    // Each dimension: its name, its script lines, its saved selection (SS,
    // SSel1, SSel1T, SSel1D0), its sort line, DimLName and Hier; and the
    // measure dimension's name.
    long dimensions = s.dimensions * (1 + s.scriptLines + 4 + 1 + 2) + 1;
    return databases + measures + edgeCounts + dimensions + 1;   // QL
}
