// A data library that records and replays: the QVDATA functions of
// host/qvdata.h, linked into the edit benchmark in place of the stand-in.
//
// Recording, every call goes on to the simulated server (the stand-in's
// library, loaded at run time beside the benchmark) and what it returned is
// kept: the function, and its text or number (QVExecuteEx: the text and the
// success flag). Replaying, every call is answered from a recording, in call
// order, with no server work: it steps to the next recorded call, checks that
// it is one of the function being called, and returns what was recorded (a
// text stays valid until the recording is dropped). A call that is not the
// next recorded one ends the replay as diverged; it and every later call get
// an empty text or 0. Idle (neither), texts are empty, numbers 0, and nothing
// reaches the server.
//
// Functions without a result are recorded too, so that a replay checks the
// whole order of calls.
#ifndef CBQ_TESTS_BENCH_REPLAY_QVDATA_H
#define CBQ_TESTS_BENCH_REPLAY_QVDATA_H

#include <stdint.h>

#include <string>
#include <vector>

namespace replay {

struct Call {
    int function = 0;  // which QV function (an internal number)
    std::string text;
    int32_t number = 0;
};
using Recording = std::vector<Call>;

// Loads the stand-in from path, for recording and for its host-side
// functions below. False and why in error.
bool loadServer(const std::string &path, std::string &error);

// The stand-in's host side: a server opened on a model's JSON text (0 and
// lastError when refused), its wizard plans replaced, and closed.
int16_t openServer(const std::string &modelJson);
bool setWizardPlans(int16_t handle, const std::string &plansJson);
void closeServer(int16_t handle);
std::string lastError();

// Starts recording into a recording (emptied first), or replaying one, which
// must outlive the replay.
void startRecording(Recording *into);
void startReplay(const Recording *from);
// The next recorded call while replaying, null when it is not of this
// function (the replay diverges). What every replayed call does, exposed
// so that the benchmark can time the replay's own share.
const Call *nextCall(int function);
// Back to idle. After a replay: true when the calls were exactly those
// recorded, all of them, in order. After a recording: true.
bool stop();

}  // namespace replay

#endif
