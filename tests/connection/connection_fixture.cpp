#include "tests/connection/connection_fixture.h"

#include <stdlib.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "connection/connection_directories.h"

std::map<std::string, std::string> ConnectionTest::options;
const char ConnectionTest::kNull[] = "(null)";


namespace {

bool readEnvironment(const char *name, std::string *value) {
#ifdef _WIN32
    char buffer[4096];
    DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer)
        return false;
    value->assign(buffer, n);
    return true;
#else
    const char *v = getenv(name);
    if (v == nullptr)
        return false;
    *value = v;
    return true;
#endif
}

}  // namespace

std::string iniText(const std::vector<std::pair<std::string, std::vector<std::string>>> &sections) {
    std::string text;
    for (const auto &section : sections) {
        text += "[" + section.first + "]\r\n";
        for (const std::string &line : section.second)
            text += line + "\r\n";
    }
    return text;
}

std::string qcf(const std::string &description, const std::vector<std::string> &more) {
    std::vector<std::string> lines = {"ServerType=1", "ServerDescription=" + description};
    lines.insert(lines.end(), more.begin(), more.end());
    return iniText({{"Quorvel", lines}});
}

const char *ConnectionTest::answerOption(const char *key, const char *defaultText) {
    auto found = options.find(key);
    if (found == options.end())
        return defaultText;
    return found->second == kNull ? nullptr : found->second.c_str();
}

void ConnectionTest::use(const char *charset) { initModule(charset, answerOption); }

void ConnectionTest::SetUp() {
    options.clear();
    hadHome_ = readEnvironment("TARSIK_HOME", &savedHome_);
    setEnvironment("TARSIK_HOME", nullptr);
#ifndef _WIN32
    setEnvironment("CBQ_REGISTRY", tree.native("registry").string().c_str());
#endif
    ModuleTest::SetUp();
    use("LATIN1");
}

void ConnectionTest::TearDown() {
    connectionDirectories.clear();
    ModuleTest::TearDown();
    setEnvironment("TARSIK_HOME", hadHome_ ? savedHome_.c_str() : nullptr);
#ifndef _WIN32
    setEnvironment("CBQ_REGISTRY", nullptr);
#endif
}
