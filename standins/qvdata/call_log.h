// The stand-in's call log: one entry per data-library call, written as the
// call with its arguments and what it returned, e.g.
//   QVExecute("shw naspell") = "NA"
// Texts are quoted with C escapes (\\ \" \r \n \t \xNN), so an entry is one
// line and shows every byte exactly. Notes about what a call did (the steps
// of a wizard run, an injected failure) follow it as entries indented by two
// spaces; host-side events start with "--".
#ifndef CBQ_STANDINS_QVDATA_CALL_LOG_H
#define CBQ_STANDINS_QVDATA_CALL_LOG_H

#include <stdint.h>

#include <string>
#include <vector>

namespace qvsim {

// A text argument or result as the log shows it; NULL for a null pointer.
std::string quoted(const char *text);
std::string quoted(const std::string &text);

class CallLog {
public:
    void add(std::string entry) { entries_.push_back(std::move(entry)); }
    void note(const std::string &text) { entries_.push_back("  " + text); }
    size_t size() const { return entries_.size(); }
    const std::string &entry(size_t i) const { return entries_[i]; }
    std::string text() const;  // every entry followed by LF
    void clear() { entries_.clear(); }

private:
    std::vector<std::string> entries_;
};

}  // namespace qvsim

#endif
