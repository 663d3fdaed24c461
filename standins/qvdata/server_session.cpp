#include "standins/qvdata/server_session.h"

#include <algorithm>
#include <unordered_set>

namespace qvsim {

namespace {

const std::string kEmptyText;
const Properties kNoProperties;

std::string forwardSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

}  // namespace

const std::string &ObjectRef::name() const {
    return custom ? custom->name : measure ? measure->name : dimension ? dimension->name : kEmptyText;
}

const std::string &ObjectRef::type() const {
    return custom ? custom->type : measure ? measure->type : dimension ? dimension->type : kEmptyText;
}

const std::string &ObjectRef::description() const {
    return custom      ? custom->description
           : measure   ? measure->description
           : dimension ? dimension->description
                       : kEmptyText;
}

const Properties &ObjectRef::properties() const {
    return custom      ? custom->properties
           : measure   ? measure->properties
           : dimension ? dimension->properties
                       : kNoProperties;
}

const char *ObjectRef::kindWord() const {
    return custom ? "FORMULA" : measure ? "VARIABLE" : "DIMENSION";
}

ServerSession::ServerSession(ServerModel model) : model_(std::move(model)) {
    variables["NASPELL"] = Value::of(model_.naSpelling);
    variables["IFCOPY"] = Value::of("YES");
    variables["QV_OTHERAPPDTBS"] = Value();
    for (const std::string &name : model_.attached) {
        std::string why;
        attach(findDatabase(name), true, "", why);
    }
    plans.assign(model_.wizardPlans.begin(), model_.wizardPlans.end());
}

bool ServerSession::matchesFile(const Database &db, const std::string &text) const {
    bool isPath = text.find_first_of("/\\") != std::string::npos;
    std::string mine = isPath ? forwardSlashes(db.path) : fileNamePart(db.path);
    std::string theirs = isPath ? forwardSlashes(text) : text;
    return model_.caseSensitiveFileNames ? mine == theirs : sameName(mine, theirs);
}

const Database *ServerSession::findDatabase(const std::string &text) const {
    if (text.empty())
        return nullptr;
    std::string key = upperCase(text);
    for (const Database &db : model_.databases) {
        if (db.key != key && !matchesFile(db, text))
            continue;
        if (&db == dataDatabase() && !startupDone)
            return nullptr;  // the start-up program has not made it yet
        return &db;
    }
    return nullptr;
}

int ServerSession::attachedIndex(const Database *db) const {
    for (size_t i = 0; i < attached_.size(); ++i)
        if (attached_[i].database == db)
            return static_cast<int>(i);
    return -1;
}

bool ServerSession::attach(const Database *db, bool last, const std::string &mode, std::string &why) {
    if (db == nullptr) {
        why = "no such database";
        return false;
    }
    int at = attachedIndex(db);
    bool readOnly = mode.empty() ? (at < 0 || attached_[at].readOnly) : sameName(mode, "RO");
    if (!readOnly && db->readOnly) {
        why = "database " + db->name + " is read-only";
        return false;
    }
    if (at >= 0)
        attached_.erase(attached_.begin() + at);
    AttachedDatabase entry{db, readOnly};
    if (last)
        attached_.push_back(entry);
    else
        attached_.insert(attached_.begin(), entry);
    return true;
}

bool ServerSession::detach(const Database *db, std::string &why) {
    int at = attachedIndex(db);
    if (at < 0) {
        why = "database is not attached";
        return false;
    }
    for (const Query &q : queries)
        if (usesDatabase(q, db)) {
            why = "query " + q.name + " uses database " + db->name;
            return false;
        }
    attached_.erase(attached_.begin() + at);
    return true;
}

const CustomMeasure *ServerSession::findCustomMeasure(const std::string &name) const {
    return findNamed(model_.customMeasures, model_.customMeasureIndex, name);
}

const SavedSelection *ServerSession::findSavedSelection(const std::string &name) const {
    return findNamed(model_.savedSelections, model_.savedSelectionIndex, name);
}

ObjectRef ServerSession::findObject(const std::string &name) const {
    ObjectRef ref;
    if ((ref.custom = findCustomMeasure(name)) != nullptr) {
        ref.database = ref.custom->database.empty() ? nullptr : findDatabase(ref.custom->database);
        return ref;
    }
    for (const AttachedDatabase &a : attached_) {
        const Database &db = *a.database;
        ref.database = &db;
        if ((ref.measure = findNamed(db.measures, db.measureIndex, name)) != nullptr ||
            (ref.dimension = findNamed(db.dimensions, db.dimensionIndex, name)) != nullptr)
            return ref;
    }
    return ObjectRef();
}

std::vector<std::string> ServerSession::objectNames() const {
    std::vector<std::string> out;
    std::unordered_set<std::string> seen;
    auto add = [&out, &seen](const std::string &name, const std::string &key) {
        if (seen.insert(key).second)
            out.push_back(name);
    };
    for (const CustomMeasure &c : model_.customMeasures)
        add(c.name, c.key);
    for (const AttachedDatabase &a : attached_) {
        for (const Dimension &d : a.database->dimensions)
            add(d.name, d.key);
        for (const Measure &m : a.database->measures)
            add(m.name, m.key);
    }
    return out;
}

std::vector<ObjectRef> ServerSession::databaseMeasures(const Database *db) const {
    std::vector<ObjectRef> out;
    if (db == nullptr)
        return out;
    for (const Measure &m : db->measures) {
        ObjectRef r;
        r.database = db;
        r.measure = &m;
        out.push_back(r);
    }
    for (const CustomMeasure &c : model_.customMeasures)
        if (sameName(c.database, db->name)) {
            ObjectRef r;
            r.database = db;
            r.custom = &c;
            out.push_back(r);
        }
    return out;
}

std::vector<const Dimension *> ServerSession::dimensionsOf(const ObjectRef &m) const {
    std::vector<const Dimension *> out;
    const std::vector<std::string> *wanted = m.measure ? &m.measure->dimensions
                                             : m.custom ? &m.custom->dimensions
                                                        : nullptr;
    if (wanted == nullptr)
        return out;
    if (wanted->empty()) {
        if (m.database != nullptr)
            for (const Dimension &d : m.database->dimensions)
                out.push_back(&d);
        return out;
    }
    for (const std::string &name : *wanted) {
        // The measure's own database first, then every database of the model.
        const Dimension *found = nullptr;
        if (m.database != nullptr)
            found = findNamed(m.database->dimensions, m.database->dimensionIndex, name);
        for (size_t i = 0; found == nullptr && i < model_.databases.size(); ++i)
            found = findNamed(model_.databases[i].dimensions, model_.databases[i].dimensionIndex, name);
        if (found != nullptr)
            out.push_back(found);
    }
    return out;
}

Query *ServerSession::findQuery(const std::string &name) {
    for (Query &q : queries)
        if (q.name == name)
            return &q;
    return nullptr;
}

const Database *ServerSession::modelDatabase(const std::string &name) const {
    std::string key = upperCase(name);
    for (const Database &db : model_.databases)
        if (db.key == key)
            return &db;
    return nullptr;
}

const Database *ServerSession::dataDatabase() const {
    return model_.relational.present ? modelDatabase(model_.relational.dataDatabase) : nullptr;
}

const Database *ServerSession::codeDatabase() const {
    return model_.relational.present ? modelDatabase(model_.relational.codeDatabase) : nullptr;
}

}  // namespace qvsim
