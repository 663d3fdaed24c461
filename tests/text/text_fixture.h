// Test support for the text foundation: a module initialised for a chosen
// character set of the NLS stand-in, and texts for the two-zero set.
#ifndef CBQ_TESTS_TEXT_TEXT_FIXTURE_H
#define CBQ_TESTS_TEXT_TEXT_FIXTURE_H

#include <string>

#include "host/module_state.h"
#include "tests/support/module_fixture.h"

// The character sets of the stand-in, and the byte-wise form before cbqInit.
constexpr const char *kBytewise = "bytewise";

class TextTest : public ModuleTest {
protected:
    // Initialises the module for charset; kBytewise resets it instead, so that
    // the routines run before cbqInit (no NLS handles, multibyte switch off).
    void use(const char *charset) {
        if (std::string(charset) == kBytewise)
            resetModuleState();
        else
            initModule(charset);
    }
};

// A UCS2 text of the given ASCII characters with its two-byte terminator.
inline std::string ucs2(const std::string &ascii) {
    std::string s;
    for (char c : ascii) {
        s += c;
        s += '\0';
    }
    return s + std::string(2, '\0');
}

// A text as a byte string with room for a terminator of either size.
inline std::string bytes(const std::string &text) { return text + std::string(2, '\0'); }

#endif  // CBQ_TESTS_TEXT_TEXT_FIXTURE_H
