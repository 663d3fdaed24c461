#include "standins/qvdata/wizard.h"

namespace qvsim {

namespace {

const char *kResultWords[] = {"failed", "finished", "cancelled"};

bool attachForWizard(ServerSession &s, const std::string &database, const std::string &mode,
                     std::string &why) {
    const Database *db = s.findDatabase(database);
    if (db == nullptr) {
        why = "database " + database + " does not exist";
        return false;
    }
    return s.attachedIndex(db) >= 0 || s.attach(db, true, mode, why);
}

// The cube after a change of measures: rebuilt, or gone with the last measure.
bool followMeasures(ServerSession &s, Query &q, std::string &why) {
    if (!q.measures.empty())
        return createCube(s, q, why);
    q.cubeBuilt = q.cubeCurrent = false;
    for (auto &edge : q.edges)
        edge.clear();
    return true;
}

bool runStep(ServerSession &s, Query &q, const WizardStep &step, const std::string &mode,
             std::string &what, std::string &why) {
    switch (step.kind) {
    case WizardStep::kAddMeasure:
        what = "add measure " + step.target + (step.database.empty() ? "" : " from " + step.database);
        return (step.database.empty() || attachForWizard(s, step.database, mode, why)) &&
               addMeasure(s, q, step.target, step.database, why) && followMeasures(s, q, why);
    case WizardStep::kRemove:
        what = "remove measure " + step.target;
        return removeMeasure(q, step.target, why) && followMeasures(s, q, why);
    case WizardStep::kPlace:
        what = "place " + step.target + " on edge " + std::to_string(step.edge) + " at position " +
               std::to_string(step.position);
        return placeDimension(q, step.target, step.edge, step.position, 0, why);
    case WizardStep::kScript:
        what = "write the scripts of " + step.target;
        return setScripts(q, step.target, step.hasSelection ? &step.selection : nullptr,
                          step.hasSort ? &step.sort : nullptr, why);
    case WizardStep::kAttach:
        what = "attach " + step.target;
        return attachForWizard(s, step.target, mode, why);
    case WizardStep::kDetach: {
        what = "detach " + step.target;
        const Database *db = s.findDatabase(step.target);
        if (db == nullptr) {
            why = "database " + step.target + " does not exist";
            return false;
        }
        return s.detach(db, why);
    }
    }
    return false;
}

}  // namespace

int runWizard(ServerSession &s, Query &q, const WizardPlan &plan, const std::string &attachMode,
              const std::function<void(const std::string &)> &note) {
    std::string mode = sameName(attachMode, "RO") ? "RO" : "RW";
    note("wizard: plan" + (plan.name.empty() ? std::string() : " \"" + plan.name + "\""));
    Query before = q;
    for (const WizardStep &step : plan.steps) {
        std::string what, why;
        if (!runStep(s, q, step, mode, what, why)) {
            note("wizard: " + what + ": " + why + "; the wizard fails");
            q = before;
            return 0;
        }
        note("wizard: " + what);
    }
    if (plan.result != 1) {
        q = before;
        std::string word = plan.result == 0 || plan.result == 2 ? kResultWords[plan.result]
                                                                : "result " + std::to_string(plan.result);
        note("wizard: " + word + "; the query is as it was");
        return plan.result;
    }
    std::string why;
    if (!q.measures.empty() && !q.cubeCurrent && !createCube(s, q, why)) {
        note("wizard: " + why + "; the wizard fails");
        q = before;
        return 0;
    }
    if (q.cubeBuilt)
        ++q.runs;
    note("wizard: finished");
    return 1;
}

}  // namespace qvsim
