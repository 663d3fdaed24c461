// One connection to a simulated server: the model it was opened on and all
// that changes while it is used: the attached databases in search order, the
// command language's variables and dimension status, whether the relational
// start-up has run, the queries of the data library and the wizard plans
// still to run.
#ifndef CBQ_STANDINS_QVDATA_SERVER_SESSION_H
#define CBQ_STANDINS_QVDATA_SERVER_SESSION_H

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "standins/qvdata/query_cube.h"
#include "standins/qvdata/server_model.h"

namespace qvsim {

// A server object found by name: a custom measure, or a measure or dimension
// of an attached database.
struct ObjectRef {
    const Database *database = nullptr;  // null for a custom measure of no database
    const CustomMeasure *custom = nullptr;
    const Measure *measure = nullptr;
    const Dimension *dimension = nullptr;

    bool found() const { return custom != nullptr || measure != nullptr || dimension != nullptr; }
    const std::string &name() const;
    const std::string &type() const;
    const std::string &description() const;
    const Properties &properties() const;
    const char *kindWord() const;  // FORMULA, VARIABLE or DIMENSION
};

struct AttachedDatabase {
    const Database *database;
    bool readOnly;
};

// A value of the command language: a text or NA.
struct Value {
    bool na = true;
    std::string text;
    static Value of(const std::string &t) { return Value{false, t}; }
};

class ServerSession {
public:
    explicit ServerSession(ServerModel model);
    ServerSession(const ServerSession &) = delete;
    ServerSession &operator=(const ServerSession &) = delete;

    const ServerModel &model() const { return model_; }

    // Databases. findDatabase takes a name (SALES), a file name (SALES.DB,
    // compared by the server's file-name rule) or a full path; it finds
    // databases whether or not they are attached, but not the relational
    // data database before the start-up program has made it.
    const Database *findDatabase(const std::string &text) const;
    int attachedIndex(const Database *db) const;  // -1 when not attached
    const std::vector<AttachedDatabase> &attached() const { return attached_; }
    // Attaches (or, when attached already, moves) a database to the front or
    // the end of the search order. mode is "RO", "RW" or empty (a new attach
    // read-only, an attached database keeps its mode). False and why on refusal.
    bool attach(const Database *db, bool last, const std::string &mode, std::string &why);
    bool detach(const Database *db, std::string &why);

    // Objects visible now: custom measures first, then the attached
    // databases in search order.
    ObjectRef findObject(const std::string &name) const;
    std::vector<std::string> objectNames() const;
    const CustomMeasure *findCustomMeasure(const std::string &name) const;
    const SavedSelection *findSavedSelection(const std::string &name) const;
    // The measures of a database as the wizard lists them: its own, then the
    // custom measures stored in it.
    std::vector<ObjectRef> databaseMeasures(const Database *db) const;
    // The dimensions that a measure or custom measure is dimensioned by.
    std::vector<const Dimension *> dimensionsOf(const ObjectRef &measure) const;

    // The command language's variables (upper-case names) and their saved
    // values (push / pop).
    std::map<std::string, Value> variables;
    std::map<std::string, std::vector<Value>> pushed;
    // Status of a dimension the language can limit (NAME, QV_SEL): all its
    // values, whatever they are at the time, until a limit chooses some.
    struct Status {
        bool all = true;
        std::vector<std::string> values;
    };
    Status nameStatus, selectionStatus;
    bool startupDone = false;

    std::vector<Query> queries;
    std::deque<WizardPlan> plans;

    Query *findQuery(const std::string &name);
    // The relational data database, or null when the model has none.
    const Database *dataDatabase() const;
    const Database *codeDatabase() const;

private:
    bool matchesFile(const Database &db, const std::string &text) const;
    const Database *modelDatabase(const std::string &name) const;

    ServerModel model_;
    std::vector<AttachedDatabase> attached_;
};

}  // namespace qvsim

#endif
