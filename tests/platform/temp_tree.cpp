#include "tests/platform/temp_tree.h"

#include <errno.h>
#include <stdio.h>

#include <chrono>
#include <fstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

unsigned long processId() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long>(getpid());
#endif
}

}  // namespace

TempTree::TempTree() {
    static int counter = 0;
    auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    std::string name = "cbq-platform-" + std::to_string(processId()) + "-" + std::to_string(++counter) +
                       "-" + std::to_string(static_cast<unsigned long long>(ticks) % 1000000);
    nativeRoot_ = fs::temp_directory_path() / name;
    fs::create_directories(nativeRoot_);
    root_ = nativeRoot_.string();
}

TempTree::~TempTree() {
    std::error_code ignored;
    for (const std::string &relative : readOnly_)
        fs::permissions(native(relative), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(nativeRoot_, ignored);
}

fs::path TempTree::native(const std::string &relative) const {
    std::string portable = relative;
    for (char &c : portable)
        if (c == '\\')
            c = '/';
    return nativeRoot_ / fs::path(portable).make_preferred();
}

void TempTree::file(const std::string &relative, const std::string &content) {
    fs::path where = native(relative);
    fs::create_directories(where.parent_path());
    std::ofstream out(where, std::ios::binary);
    out << content;
}

void TempTree::dir(const std::string &relative) { fs::create_directories(native(relative)); }

void TempTree::readOnly(const std::string &relative) {
    fs::permissions(native(relative), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    readOnly_.push_back(relative);
}

bool followsWine() {
#ifdef _WIN32
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
#else
    return true;
#endif
}

unsigned ansiCodePage() {
#ifdef _WIN32
    return GetACP();
#else
    return 0;
#endif
}

#ifndef _WIN32
bool finishesWithin(unsigned seconds, const std::function<void()> &work) {
    fflush(nullptr);
    pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
#if defined(__SANITIZE_ADDRESS__)
        seconds *= 3;
#endif
        alarm(seconds);
        work();
        _exit(0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
#endif
