// Test support for the platform layer: a fresh directory tree under the
// system's temporary directory, removed when the test ends, and the facts
// about the target that some expectations depend on.
#ifndef CBQ_TESTS_PLATFORM_TEMP_TREE_H
#define CBQ_TESTS_PLATFORM_TEMP_TREE_H

#include <stdint.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class TempTree {
public:
    TempTree();
    ~TempTree();

    // The root as the platform layer takes it: C:\...\Temp\cbq-... under
    // Windows, /tmp/cbq-... on Linux.
    const std::string &root() const { return root_; }

    // The Windows path of an entry: root, a backslash and relative (which
    // uses backslashes too).
    std::string path(const std::string &relative) const { return root_ + "\\" + relative; }

    // Creates a file (its folders too) holding content, written as it is.
    void file(const std::string &relative, const std::string &content = "x");
    // Creates a directory (its parents too).
    void dir(const std::string &relative);
    // Takes away every write permission (Windows: the read-only attribute).
    void readOnly(const std::string &relative);
    // The entry's location for the standard library.
    std::filesystem::path native(const std::string &relative) const;

    TempTree(const TempTree &) = delete;
    TempTree &operator=(const TempTree &) = delete;

private:
    std::string root_;
    std::filesystem::path nativeRoot_;
    std::vector<std::string> readOnly_;
};

// True under Wine (Windows builds) and on Linux, whose platform layer follows
// Wine; false on real Windows, where a few results are the file system's own.
bool followsWine();

// The ANSI code page on Windows; 0 on Linux.
unsigned ansiCodePage();

#ifndef _WIN32
// Runs work in a child process that is killed after the given seconds
// (three times as many in a build with AddressSanitizer, which is unoptimised
// and slow), so that a call that hangs or crawls fails the test instead of
// stopping the run; true when work returned in time. Check results in the parent afterwards (only
// once this is true): nothing the child does reaches the parent.
bool finishesWithin(unsigned seconds, const std::function<void()> &work);
#endif

#endif
