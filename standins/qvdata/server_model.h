// The simulated OLAP server's content: what a server holds before anybody
// connects to it. A model is read from JSON text (a fixture file or a test's
// own text) and is not changed afterwards; a connection (ServerSession) keeps
// everything that changes while it is used.
//
// Names of databases, objects and saved selections are matched without
// regard to ASCII case, as the server does; they are printed as the model
// spells them. Each is upper-cased once, when the model is read (its key),
// and the lists that are searched by name have an index of their keys.
#ifndef CBQ_STANDINS_QVDATA_SERVER_MODEL_H
#define CBQ_STANDINS_QVDATA_SERVER_MODEL_H

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace qvsim {

// Property name (upper case) -> printed value. Booleans print as YES / NO.
using Properties = std::map<std::string, std::string>;

// Key (upper-cased name) -> position of the first object of that name in its
// list.
using NameIndex = std::unordered_map<std::string, size_t>;

struct Dimension {
    std::string name, key, description, hierarchy, type;
    Properties properties;  // "longLabel" in the fixture becomes LONGLABELFRM
};

struct Measure {
    std::string name, key, description, type;
    std::vector<std::string> dimensions;  // empty: every dimension of its database
    Properties properties;
};

struct Database {
    std::string name;         // e.g. SALES
    std::string key;          // the name upper-cased
    std::string path;         // full path of its file, e.g. C:\Quorvel\data\SALES.DB
    std::string description;
    bool readOnly = false;    // refuses a read-write attach
    std::vector<Dimension> dimensions;
    std::vector<Measure> measures;
    NameIndex dimensionIndex, measureIndex;
};

struct CustomMeasure {
    std::string name, key, description, formula, type;
    std::string database;                 // empty: a workspace object of no database
    std::vector<std::string> refers;      // custom measures that the formula uses
    std::vector<std::string> dimensions;  // empty: those of its database, if any
    Properties properties;                // CUSTMEAS is always YES
};

struct SavedSelection {
    std::string name, key;
    bool script = false;             // type SCRIPT; otherwise LIST
    std::vector<std::string> lines;  // script lines or list items
};

// A relational (Sollary) data source: the start-up program lives in the code
// database; once it has run, the data database can be attached.
struct RelationalSource {
    bool present = false;
    std::string codeDatabase;    // name of a database of the model
    std::string startupProgram;  // e.g. DS.STARTUP
    std::string dataDatabase;    // name of a database of the model
    std::map<std::string, std::string> users;  // relational user -> password; empty: any
};

// One scripted user action of the query wizard.
struct WizardStep {
    enum Kind { kAddMeasure, kRemove, kPlace, kScript, kAttach, kDetach } kind = kAddMeasure;
    std::string target;    // measure, dimension or database named by the action
    std::string database;  // kAddMeasure: the database to take the measure from (may be empty)
    int edge = 0, position = 0;
    bool hasSelection = false, hasSort = false;
    std::string selection, sort;
};

struct WizardPlan {
    std::string name;
    std::vector<WizardStep> steps;
    int result = 1;  // 1 finished, 2 cancelled, 0 failed, or any other number
};

struct ServerModel {
    std::string title;
    std::string naSpelling = "NA";
    bool caseSensitiveFileNames = false;  // a server on a case-sensitive file system
    bool byteTexts = false;               // its texts stand for bytes ("byteTexts")
    bool lenient = false;                 // a lax library: refused query calls succeed

    std::string measureDimension = "MEASURE";
    std::string measureDimensionDescription = "Measure";
    std::vector<Database> databases;
    std::vector<std::string> attached;  // databases attached when a connection opens
    std::vector<CustomMeasure> customMeasures;
    std::vector<SavedSelection> savedSelections;
    NameIndex customMeasureIndex, savedSelectionIndex;
    RelationalSource relational;
    std::map<std::string, std::string> options;  // data-library options the client starts with
    std::map<std::string, int> failures;         // function -> calls that fail next
    std::vector<WizardPlan> wizardPlans;         // taken one per wizard run
};

// Reads a model from JSON text. On failure returns false and says what is
// wrong, and where, in error.
bool parseModel(const std::string &json, ServerModel &model, std::string &error);

// Reads wizard plans: one plan object or an array of them. The names that a
// plan uses are checked when it runs, against the connection it runs on.
// byteTexts: the plans' texts stand for bytes, as a byteTexts model's do.
bool parseWizardPlans(const std::string &json, std::vector<WizardPlan> &plans, std::string &error,
                      bool byteTexts = false);

// ASCII case-insensitive equality, the server's rule for names.
bool sameName(const std::string &a, const std::string &b);
std::string upperCase(std::string text);

// The object of a list (databases, dimensions, measures, custom measures,
// saved selections) that a name means, through the list's index; null when
// none. With several of one name, the first.
template <class Named>
const Named *findNamed(const std::vector<Named> &list, const NameIndex &index, const std::string &name) {
    auto it = index.find(upperCase(name));
    return it == index.end() ? nullptr : &list[it->second];
}

// The file-name part of a path (after the last slash or backslash).
std::string fileNamePart(const std::string &path);

}  // namespace qvsim

#endif
