// Test support for the connection records: a module initialised for LATIN1
// with an option callback, a fresh directory tree, a registry of the test's
// own on Linux, TARSIK_HOME under the test's control, and connection files
// written as INI text.
#ifndef CBQ_TESTS_CONNECTION_CONNECTION_FIXTURE_H
#define CBQ_TESTS_CONNECTION_CONNECTION_FIXTURE_H

#include <map>
#include <string>
#include <vector>

#include "tests/platform/temp_tree.h"
#include "tests/support/module_fixture.h"

// The text of a connection file: "[Section]" lines and "Key=value" lines,
// CR LF line ends, from pairs of section and lines.
std::string iniText(const std::vector<std::pair<std::string, std::vector<std::string>>> &sections);

// A connection file of server type 1 with this description, plus more
// "Quorvel" lines.
std::string qcf(const std::string &description, const std::vector<std::string> &more = {});

class ConnectionTest : public ModuleTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The option callback answers from here (a key absent: its default;
    // mapped to kNull: null).
    static std::map<std::string, std::string> options;
    static const char kNull[];
    static const char *answerOption(const char *key, const char *defaultText);

    // Re-initialises the module for charset with the option callback.
    void use(const char *charset);

    TempTree tree;
    std::string savedHome_;
    bool hadHome_ = false;
};

#endif  // CBQ_TESTS_CONNECTION_CONNECTION_FIXTURE_H
