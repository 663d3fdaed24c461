// Test support for the connect dialog: a demo-like home in a fresh tree
// (TARSIK_HOME, version 901, one connection directory "conn"), connection
// files written into it, and selectServer run on the window model with a
// script of user steps, whose observations and notes are collected.
#ifndef CBQ_TESTS_CONNECTION_DIALOG_FIXTURE_H
#define CBQ_TESTS_CONNECTION_DIALOG_FIXTURE_H

#include <functional>
#include <string>
#include <vector>

#include "cbq90.h"
#include "platform/window_model/dialog_model.h"
#include "tests/connection/connection_fixture.h"

// One step of a user: kActionObserve records the model's describe() text,
// or runs hook when there is one (something happening while the dialog is
// open).
struct Step {
    DialogActionKind kind;
    int control = 0;
    std::string text;
    std::function<void()> hook;
};
Step choose(const std::string &description);
Step type(int control, const std::string &text);
Step press(int control);
Step observe();
Step meanwhile(std::function<void()> hook);

struct Outcome {
    ResultCode result = 0;
    std::string connectString;         // "(untouched)" when the buffer kept its fill
    std::string path;                  // likewise
    std::vector<std::string> seen;     // describe() at each observe step
    std::vector<std::string> notes;    // the model's notes
    std::vector<std::string> help;     // "context/topic" of each help call
};

class DialogTest : public ConnectionTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The home's qconnect.ini names directory (relative to the tree), "conn"
    // unless said otherwise, with or without a trailing backslash.
    void home(const std::string &directory = "conn");
    // A connection file conn\<name> of server type 1 with description and
    // the lines of more sections.
    void server(const std::string &name, const std::string &description,
                const std::vector<std::string> &quorvel = {}, const std::vector<std::string> &sollary = {});

    // selectServer on the model with steps; buffers pre-filled so that an
    // untouched one shows. failAt: the allocation of selectServer that
    // fails (memFailAt), 0 for none.
    Outcome select(const std::vector<Step> &steps, long failAt = 0);
    // The dialog alone on the model, after prepare has run between building
    // the server list and opening the dialog; the connection's entry count
    // after the dialog in *left.
    Outcome dialogAfter(const std::function<void()> &prepare, const std::vector<Step> &steps, int *left);

    // The remembered selection in the registry, "(missing)" when none.
    std::string remembered();
    void remember(const std::string &path);
};

// The model's describe() text for observations.
std::string described(DialogModel &model);

#endif  // CBQ_TESTS_CONNECTION_DIALOG_FIXTURE_H
