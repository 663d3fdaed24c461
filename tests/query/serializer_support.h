// Shared by the serialiser's and the server scripts' tests: a module
// initialised with an option callback whose options a test sets, a simulated
// server, and a QuerySession set up as the edit leaves it once the wizard has
// finished (query name, NA spelling).
#ifndef CBQ_TESTS_QUERY_SERIALIZER_SUPPORT_H
#define CBQ_TESTS_QUERY_SERIALIZER_SUPPORT_H

#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/memory.h"
#include "query/query_definition.h"
#include "query/query_session.h"
#include "standins/qvdata/qvdata_standin.h"
#include "tests/support/module_fixture.h"

namespace sertest {

using Lines = std::vector<std::string>;

inline std::map<std::string, std::string> &hostOptions() {
    static std::map<std::string, std::string> options;
    return options;
}

inline const char *lookUpOption(const char *key, const char *) {
    auto found = hostOptions().find(key);
    return found == hostOptions().end() ? nullptr : found->second.c_str();
}

// The working text as lines, one per record (CR ends a record).
inline Lines records(const QueryDefinition &d) {
    Lines out;
    std::string text(d.workingText().text(), d.workingText().length()), current;
    for (char c : text) {
        if (c == '\r') {
            out.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        out.push_back(current + "<no CR>");
    return out;
}

// The commands sent with QVExecute since the log was last cleared, as the
// log quotes them.
inline Lines executedCommands() {
    Lines out;
    for (int32_t i = 0; i < qvStandinLogCount(); ++i) {
        std::string entry = qvStandinLogEntry(i);
        static const std::string kCall = "QVExecute(\"";
        if (entry.compare(0, kCall.size(), kCall) != 0)
            continue;
        size_t end = entry.find("\") = ");
        out.push_back(entry.substr(kCall.size(), end - kCall.size()));
    }
    return out;
}

inline std::string sourceFile(const std::string &relative) {
#ifdef _WIN32
    return std::string("Z:") + CBQ_SOURCE_DIR + "/" + relative;
#else
    return std::string(CBQ_SOURCE_DIR) + "/" + relative;
#endif
}

inline std::string readFile(const std::string &path) {
    std::string out;
    FILE *f = fopen(path.c_str(), "rb");
    if (f == nullptr)
        return "<cannot open " + path + ">";
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        out.append(buffer, n);
    fclose(f);
    return out;
}

// Module initialised for a character set with the test's option callback,
// the stand-in reset; every test must leave no block allocated.
class ServerTest : public ::testing::Test {
protected:
    void SetUp() override { start("LATIN1"); }
    void TearDown() override {
        memFailAt(0);
        session_.reset();
        qvStandinReset();
        cbqTerm();
        hostOptions().clear();
        EXPECT_EQ(memLiveBlocks(), liveAtStart_) << "the test leaves blocks allocated";
    }

    void start(const char *charset) {
        hostOptions().clear();
        initModule(charset, &lookUpOption);
        qvStandinReset();
        liveAtStart_ = memLiveBlocks();
    }

    void openText(const std::string &model) {
        handle_ = qvStandinOpenServerText(model.c_str());
        ASSERT_GT(handle_, 0) << qvStandinLastError();
        ASSERT_EQ(QVConnectHandle(handle_), 1);
    }
    void openFile(const std::string &relative) {
        handle_ = qvStandinOpenServer(sourceFile(relative).c_str());
        ASSERT_GT(handle_, 0) << qvStandinLastError();
        ASSERT_EQ(QVConnectHandle(handle_), 1);
    }

    // A new session with a new query, and the NA spelling read as the
    // edit reads it once the wizard has finished.
    QuerySession &newSession() {
        session_.reset(new QuerySession);
        EXPECT_TRUE(session_->queryName.appendText(QVCreateQuery()));
        readNaSpelling();
        return *session_;
    }
    void readNaSpelling() {
        QVExecute("qv_otherappdtbs = na");
        EXPECT_TRUE(session_->setNaSpelling(QVExecute("shw naspell")));
    }
    QuerySession &session() { return *session_; }
    const char *query() { return session_->queryName.text(); }

    struct SessionDeleter {
        void operator()(QuerySession *s) const { delete s; }
    };
    std::unique_ptr<QuerySession, SessionDeleter> session_;
    int16_t handle_ = 0;
    long liveAtStart_ = 0;
};

}  // namespace sertest

#endif
