// A data library whose every answer comes from the fuzzer's input: the
// QVDATA functions of host/qvdata.h, linked into the edit fuzz targets in
// place of the simulated server.
//
// The input is a list of answers separated by zero bytes. Every call that
// returns something takes the next answer, in the order the module makes its
// calls, whatever the function:
//   - a text result is the answer itself;
//   - a number (a count, a success flag, the wizard's result) is the answer
//     read as a signed decimal (leading blanks and a sign allowed, the digits
//     up to the first other byte, saturated at 32 bits), then narrowed to the
//     function's width as the real library's return register would be;
//   - QVExecuteEx: the answer's first byte is the success flag ('1' success,
//     anything else failure), the rest is the reply text.
// When the answers run out, texts are empty and numbers 0. Functions without
// a result (QVSetTarsikHome, QVSetKHVMethod, QVSetOption, QVDisconnect,
// QVClose, QVPagewright) take no answer.
//
// A seed is made from the simulated server's call log of a real edit by
// tests/fuzz/log_to_answers.py, so that the fuzzer starts from realistic
// traffic.
#ifndef CBQ_TESTS_FUZZ_FUZZ_QVDATA_H
#define CBQ_TESTS_FUZZ_FUZZ_QVDATA_H

#include <stddef.h>
#include <stdint.h>

// Starts a new list of answers (copied); the previous one is dropped.
void fuzzAnswersLoad(const uint8_t *data, size_t size);

// The next answer as text (empty when none is left). Used by the harness to
// take its own inputs (a stored definition, connection settings) from the
// front of the list.
const char *fuzzAnswersNextText();

// How many calls asked for an answer since the last load.
long fuzzAnswersCalls();

#endif
