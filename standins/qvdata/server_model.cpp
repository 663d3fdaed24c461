// Reading a server model from JSON. Every key is checked, so that a typing
// error in a fixture is reported instead of silently giving an emptier server.
#include "standins/qvdata/server_model.h"

#include <ctype.h>
#include <stdint.h>

#include <set>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace qvsim {

using nlohmann::json;

namespace {

struct ModelError : std::runtime_error {
    explicit ModelError(const std::string &what) : std::runtime_error(what) {}
};

// The index of a list whose keys are set: the first position of each key.
template <class Named>
NameIndex indexOf(const std::vector<Named> &list) {
    NameIndex index;
    for (size_t i = 0; i < list.size(); ++i)
        index.emplace(list[i].key, i);
    return index;
}

void checkKeys(const json &j, const std::set<std::string> &allowed, const std::string &where) {
    if (!j.is_object())
        throw ModelError(where + ": must be an object");
    for (auto it = j.begin(); it != j.end(); ++it)
        if (allowed.count(it.key()) == 0)
            throw ModelError(where + ": unknown key \"" + it.key() + "\"");
}

std::string text(const json &j, const char *key, const std::string &where, bool required,
                 const std::string &fallback = "") {
    auto it = j.find(key);
    if (it == j.end()) {
        if (required)
            throw ModelError(where + ": \"" + key + "\" is missing");
        return fallback;
    }
    if (!it->is_string())
        throw ModelError(where + ": \"" + key + "\" must be a text");
    std::string value = it->get<std::string>();
    if (required && value.empty())
        throw ModelError(where + ": \"" + key + "\" is empty");
    return value;
}

bool flag(const json &j, const char *key, const std::string &where, bool fallback) {
    auto it = j.find(key);
    if (it == j.end())
        return fallback;
    if (!it->is_boolean())
        throw ModelError(where + ": \"" + key + "\" must be true or false");
    return it->get<bool>();
}

int number(const json &j, const char *key, const std::string &where, int fallback) {
    auto it = j.find(key);
    if (it == j.end())
        return fallback;
    if (!it->is_number_integer())
        throw ModelError(where + ": \"" + key + "\" must be a whole number");
    return it->get<int>();
}

std::vector<std::string> names(const json &j, const char *key, const std::string &where) {
    std::vector<std::string> out;
    auto it = j.find(key);
    if (it == j.end())
        return out;
    if (!it->is_array())
        throw ModelError(where + ": \"" + key + "\" must be a list of texts");
    for (const json &item : *it) {
        if (!item.is_string())
            throw ModelError(where + ": \"" + key + "\" must be a list of texts");
        out.push_back(item.get<std::string>());
    }
    return out;
}

// A text given either as one text (line breaks allowed) or as a list of lines.
std::vector<std::string> lines(const json &j, const char *key, const std::string &where) {
    auto it = j.find(key);
    if (it != j.end() && it->is_string()) {
        std::vector<std::string> out;
        std::string all = it->get<std::string>(), line;
        for (char c : all) {
            if (c == '\n') {
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                out.push_back(line);
                line.clear();
            } else {
                line += c;
            }
        }
        if (!line.empty() || out.empty())
            out.push_back(line);
        return out;
    }
    return names(j, key, where);
}

std::string joinLines(const std::vector<std::string> &items) {
    std::string out;
    for (size_t i = 0; i < items.size(); ++i)
        out += (i ? "\n" : "") + items[i];
    return out;
}

Properties properties(const json &j, const std::string &where) {
    Properties out;
    auto it = j.find("properties");
    if (it != j.end()) {
        if (!it->is_object())
            throw ModelError(where + ": \"properties\" must be an object");
        for (auto p = it->begin(); p != it->end(); ++p) {
            if (p->is_boolean())
                out[upperCase(p.key())] = p->get<bool>() ? "YES" : "NO";
            else if (p->is_string())
                out[upperCase(p.key())] = p->get<std::string>();
            else
                throw ModelError(where + ": property \"" + p.key() + "\" must be a text or a boolean");
        }
    }
    std::string label = text(j, "longLabel", where, false);
    if (!label.empty())
        out["LONGLABELFRM"] = label;
    return out;
}

// Object names: what the command language can spell without quotes. A byte
// from 0x81 to 0xFE starts a double-byte character (see "byteTexts"), whose
// second byte may be any byte.
void checkName(const std::string &name, const std::string &where) {
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < name.size()) {
            ++i;
            continue;
        }
        if (!isalnum(c) && c != '.' && c != '_' && c != '$' && c != '#')
            throw ModelError(where + ": the name \"" + name + "\" may hold only letters, digits and . _ $ #");
    }
}

// "byteTexts": true makes every text of the model stand for the bytes of its
// characters, none of which may lie above U+00FF: "\u00b1\u00ed" is the byte pair
// B1 ED. So a model, itself UTF-8 JSON, can hold names and scripts of a
// double-byte character set. Keys stay as they are.
void textsToBytes(json &j) {
    if (j.is_string()) {
        const std::string &utf8 = j.get_ref<const std::string &>();
        std::string out;
        for (size_t i = 0; i < utf8.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(utf8[i]);
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size() && c <= 0xC3) {
                out += static_cast<char>(((c & 0x03) << 6) | (utf8[++i] & 0x3F));
            } else {
                throw ModelError("byteTexts: the text \"" + utf8 + "\" holds a character above U+00FF");
            }
        }
        j = out;
    } else if (j.is_array() || j.is_object()) {
        for (json &item : j)
            textsToBytes(item);
    }
}

Dimension readDimension(const json &j, const std::string &where) {
    checkKeys(j, {"name", "description", "hierarchy", "type", "longLabel", "properties"}, where);
    Dimension d;
    d.name = text(j, "name", where, true);
    checkName(d.name, where);
    d.key = upperCase(d.name);
    d.description = text(j, "description", where, false);
    d.hierarchy = text(j, "hierarchy", where, false);
    d.type = text(j, "type", where, false, "TEXT");
    d.properties = properties(j, where);
    return d;
}

Measure readMeasure(const json &j, const Database &db, const std::string &where) {
    checkKeys(j, {"name", "description", "type", "dimensions", "longLabel", "properties"}, where);
    Measure m;
    m.name = text(j, "name", where, true);
    checkName(m.name, where);
    m.key = upperCase(m.name);
    m.description = text(j, "description", where, false);
    m.type = text(j, "type", where, false, "DECIMAL");
    m.dimensions = names(j, "dimensions", where);
    for (const std::string &dim : m.dimensions) {
        if (findNamed(db.dimensions, db.dimensionIndex, dim) == nullptr)
            throw ModelError(where + ": dimension \"" + dim + "\" is not in database " + db.name);
    }
    m.properties = properties(j, where);
    return m;
}

Database readDatabase(const json &j, const std::string &where) {
    checkKeys(j, {"name", "path", "description", "readOnly", "dimensions", "measures"}, where);
    Database db;
    db.name = text(j, "name", where, true);
    checkName(db.name, where);
    db.key = upperCase(db.name);
    std::string at = "database " + db.name;
    db.path = text(j, "path", at, true);
    db.description = text(j, "description", at, false);
    db.readOnly = flag(j, "readOnly", at, false);
    for (const json &d : j.value("dimensions", json::array()))
        db.dimensions.push_back(readDimension(d, at + ", dimension"));
    db.dimensionIndex = indexOf(db.dimensions);
    for (const json &m : j.value("measures", json::array()))
        db.measures.push_back(readMeasure(m, db, at + ", measure"));
    db.measureIndex = indexOf(db.measures);
    return db;
}

const Database *databaseNamed(const ServerModel &model, const std::string &name) {
    std::string key = upperCase(name);
    for (const Database &db : model.databases)
        if (db.key == key)
            return &db;
    return nullptr;
}

CustomMeasure readCustomMeasure(const json &j, const ServerModel &model, const std::string &where) {
    checkKeys(j, {"name", "description", "formula", "type", "database", "refers", "dimensions",
                  "longLabel", "properties"},
              where);
    CustomMeasure c;
    c.name = text(j, "name", where, true);
    checkName(c.name, where);
    c.key = upperCase(c.name);
    std::string at = "custom measure " + c.name;
    c.description = text(j, "description", at, false);
    c.formula = text(j, "formula", at, true);
    c.type = text(j, "type", at, false, "DECIMAL");
    c.database = text(j, "database", at, false);
    const Database *db = nullptr;
    if (!c.database.empty() && (db = databaseNamed(model, c.database)) == nullptr)
        throw ModelError(at + ": database \"" + c.database + "\" is not in the model");
    c.refers = names(j, "refers", at);
    c.dimensions = names(j, "dimensions", at);
    for (const std::string &dim : c.dimensions) {
        bool found = false;
        for (const Database &d : model.databases)
            if (db == nullptr || db == &d)
                found = found || findNamed(d.dimensions, d.dimensionIndex, dim) != nullptr;
        if (!found)
            throw ModelError(at + ": dimension \"" + dim + "\" is in no database it can use");
    }
    c.properties = properties(j, at);
    c.properties["CUSTMEAS"] = "YES";
    return c;
}

SavedSelection readSavedSelection(const json &j, const std::string &where) {
    checkKeys(j, {"name", "type", "value"}, where);
    SavedSelection s;
    s.name = text(j, "name", where, true);
    checkName(s.name, where);
    s.key = upperCase(s.name);
    std::string at = "saved selection " + s.name;
    std::string type = text(j, "type", at, true);
    if (type != "SCRIPT" && type != "LIST")
        throw ModelError(at + ": \"type\" must be SCRIPT or LIST, not \"" + type + "\"");
    s.script = type == "SCRIPT";
    if (j.find("value") == j.end())
        throw ModelError(at + ": \"value\" is missing");
    s.lines = lines(j, "value", at);
    return s;
}

RelationalSource readRelational(const json &j, const ServerModel &model) {
    const std::string at = "relational";
    checkKeys(j, {"codeDatabase", "startupProgram", "dataDatabase", "users"}, at);
    RelationalSource r;
    r.present = true;
    r.codeDatabase = text(j, "codeDatabase", at, true);
    r.startupProgram = text(j, "startupProgram", at, false, "DS.STARTUP");
    r.dataDatabase = text(j, "dataDatabase", at, true);
    for (const std::string *name : {&r.codeDatabase, &r.dataDatabase})
        if (databaseNamed(model, *name) == nullptr)
            throw ModelError(at + ": database \"" + *name + "\" is not in the model");
    auto users = j.find("users");
    if (users != j.end()) {
        if (!users->is_object())
            throw ModelError(at + ": \"users\" must map user names to passwords");
        for (auto u = users->begin(); u != users->end(); ++u) {
            if (!u->is_string())
                throw ModelError(at + ": the password of \"" + u.key() + "\" must be a text");
            r.users[u.key()] = u->get<std::string>();
        }
    }
    return r;
}

WizardStep readStep(const json &j, const std::string &where) {
    static const std::map<std::string, WizardStep::Kind> kinds = {
        {"addMeasure", WizardStep::kAddMeasure}, {"remove", WizardStep::kRemove},
        {"place", WizardStep::kPlace},           {"script", WizardStep::kScript},
        {"attach", WizardStep::kAttach},         {"detach", WizardStep::kDetach}};
    checkKeys(j, {"addMeasure", "remove", "place", "script", "attach", "detach", "database", "edge",
                  "position", "selection", "sort"},
              where);
    WizardStep step;
    int actions = 0;
    for (const auto &k : kinds)
        if (j.find(k.first) != j.end()) {
            ++actions;
            step.kind = k.second;
            step.target = text(j, k.first.c_str(), where, true);
        }
    if (actions != 1)
        throw ModelError(where + ": needs exactly one action (addMeasure, remove, place, script, attach or detach)");
    step.database = text(j, "database", where, false);
    if (step.kind == WizardStep::kPlace) {
        if (j.find("edge") == j.end())
            throw ModelError(where + ": \"place\" needs an \"edge\"");
        step.edge = number(j, "edge", where, 0);
        step.position = number(j, "position", where, 0);
        if (step.edge < 0 || step.edge > 2 || step.position < 0)
            throw ModelError(where + ": edges are 0 to 2 and positions start at 0");
    }
    if (step.kind == WizardStep::kScript) {
        step.hasSelection = j.find("selection") != j.end();
        step.hasSort = j.find("sort") != j.end();
        step.selection = joinLines(lines(j, "selection", where));
        step.sort = joinLines(lines(j, "sort", where));
    }
    return step;
}

WizardPlan readPlan(const json &j, const std::string &where) {
    checkKeys(j, {"name", "steps", "result"}, where);
    WizardPlan plan;
    plan.name = text(j, "name", where, false);
    std::string at = plan.name.empty() ? where : where + " \"" + plan.name + "\"";
    auto steps = j.find("steps");
    if (steps != j.end()) {
        if (!steps->is_array())
            throw ModelError(at + ": \"steps\" must be a list");
        for (size_t i = 0; i < steps->size(); ++i)
            plan.steps.push_back(readStep((*steps)[i], at + ", step " + std::to_string(i + 1)));
    }
    auto number = j.find("result");
    if (number != j.end() && number->is_number_integer()) {
        // Any other value the wizard may return, returned as it is.
        long long n = number->get<long long>();
        if (n < INT32_MIN || n > INT32_MAX)
            throw ModelError(at + ": \"result\" must fit 32 bits");
        plan.result = static_cast<int>(n);
        return plan;
    }
    std::string result = text(j, "result", at, false, "finished");
    if (result == "finished")
        plan.result = 1;
    else if (result == "cancelled")
        plan.result = 2;
    else if (result == "failed")
        plan.result = 0;
    else
        throw ModelError(at + ": \"result\" must be finished, cancelled, failed or a number");
    return plan;
}

std::vector<WizardPlan> readPlans(const json &j) {
    std::vector<WizardPlan> plans;
    if (j.is_array()) {
        for (size_t i = 0; i < j.size(); ++i)
            plans.push_back(readPlan(j[i], "wizard plan " + std::to_string(i + 1)));
    } else {
        plans.push_back(readPlan(j, "wizard plan"));
    }
    return plans;
}

void checkUnique(const ServerModel &model) {
    std::set<std::string> seen;
    auto add = [&seen](const std::string &kind, const std::string &name) {
        if (!seen.insert(kind + upperCase(name)).second)
            throw ModelError("two " + kind + "s are named " + name);
    };
    for (const Database &db : model.databases)
        add("database", db.name);
    for (const CustomMeasure &c : model.customMeasures)
        add("custom measure", c.name);
    for (const SavedSelection &s : model.savedSelections)
        add("saved selection", s.name);
    for (const CustomMeasure &c : model.customMeasures)
        for (const std::string &r : c.refers)
            if (seen.count("custom measure" + upperCase(r)) == 0)
                throw ModelError("custom measure " + c.name + ": refers to \"" + r +
                                 "\", which is no custom measure");
    for (const std::string &a : model.attached)
        if (databaseNamed(model, a) == nullptr)
            throw ModelError("attached: database \"" + a + "\" is not in the model");
}

void readModel(const json &j, ServerModel &model) {
    checkKeys(j, {"byteTexts", "lenient", "title", "naSpelling", "caseSensitiveFileNames", "measureDimension",
                  "databases", "attached", "customMeasures", "savedSelections", "relational", "options",
                  "failures", "wizard"},
              "model");
    model.title = text(j, "title", "model", false);
    model.naSpelling = text(j, "naSpelling", "model", false, "NA");
    model.caseSensitiveFileNames = flag(j, "caseSensitiveFileNames", "model", false);
    model.lenient = flag(j, "lenient", "model", false);
    auto md = j.find("measureDimension");
    if (md != j.end()) {
        checkKeys(*md, {"name", "description"}, "measureDimension");
        model.measureDimension = text(*md, "name", "measureDimension", true);
        model.measureDimensionDescription = text(*md, "description", "measureDimension", false);
    }
    for (const json &db : j.value("databases", json::array()))
        model.databases.push_back(readDatabase(db, "database"));
    model.attached = names(j, "attached", "model");
    for (const json &c : j.value("customMeasures", json::array()))
        model.customMeasures.push_back(readCustomMeasure(c, model, "custom measure"));
    for (const json &s : j.value("savedSelections", json::array()))
        model.savedSelections.push_back(readSavedSelection(s, "saved selection"));
    checkUnique(model);
    model.customMeasureIndex = indexOf(model.customMeasures);
    model.savedSelectionIndex = indexOf(model.savedSelections);
    auto rel = j.find("relational");
    if (rel != j.end())
        model.relational = readRelational(*rel, model);
    for (const char *group : {"options", "failures"}) {
        auto it = j.find(group);
        if (it == j.end())
            continue;
        if (!it->is_object())
            throw ModelError(std::string(group) + ": must be an object");
        for (auto o = it->begin(); o != it->end(); ++o) {
            if (group[0] == 'o' && o->is_string())
                model.options[o.key()] = o->get<std::string>();
            else if (group[0] == 'f' && o->is_number_integer())
                model.failures[o.key()] = o->get<int>();
            else
                throw ModelError(std::string(group) + ": bad value for \"" + o.key() + "\"");
        }
    }
    auto wizard = j.find("wizard");
    if (wizard != j.end())
        model.wizardPlans = readPlans(*wizard);
}

}  // namespace

bool sameName(const std::string &a, const std::string &b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (toupper(static_cast<unsigned char>(a[i])) != toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string upperCase(std::string text) {
    for (char &c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string fileNamePart(const std::string &path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool parseModel(const std::string &text, ServerModel &model, std::string &error) {
    try {
        ServerModel fresh;
        json j = json::parse(text);
        if (j.is_object() && flag(j, "byteTexts", "model", false)) {
            textsToBytes(j);
            fresh.byteTexts = true;
        }
        readModel(j, fresh);
        model = std::move(fresh);
        return true;
    } catch (const std::exception &e) {
        error = e.what();
        return false;
    }
}

bool parseWizardPlans(const std::string &text, std::vector<WizardPlan> &plans, std::string &error,
                      bool byteTexts) {
    try {
        json j = json::parse(text);
        if (byteTexts)
            textsToBytes(j);
        plans = readPlans(j);
        return true;
    } catch (const std::exception &e) {
        error = e.what();
        return false;
    }
}

}  // namespace qvsim
