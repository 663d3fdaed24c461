// The query wizard, played from a plan instead of a user: each step is what a
// user does in the wizard, applied to the query in order, and the plan's
// result is how the user leaves it.
//
// - addMeasure: takes a measure from a database (attaching the database at
//   the end of the search order in the library's attach mode when it is not
//   attached yet) or, without a database, from the visible objects; the cube
//   follows the measures at once.
// - remove: takes a measure out of the query; dimensions only it had leave.
// - place: drags a dimension to an edge and position (inserted there, or at
//   the end of a shorter edge); edges 0 and 1 are never left empty.
// - script: writes a dimension's selection and/or sort script.
// - attach / detach: a database, as the wizard's database list does.
//
// Finished: the cube is brought up to date and the query runs once; result
// 1. Cancelled (2), failed (0) or any other number the plan gives: the query
// is put back as it was before the wizard opened (databases stay as the
// steps left them) and the number is the result. A step that cannot
// be done ends the run as failed.
#ifndef CBQ_STANDINS_QVDATA_WIZARD_H
#define CBQ_STANDINS_QVDATA_WIZARD_H

#include <functional>
#include <string>

#include "standins/qvdata/server_session.h"

namespace qvsim {

int runWizard(ServerSession &session, Query &query, const WizardPlan &plan,
              const std::string &attachMode, const std::function<void(const std::string &)> &note);

}  // namespace qvsim

#endif
