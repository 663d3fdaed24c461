// GoogleTest's Notification needs std::mutex, which MinGW's win32 thread model
// lacks. Only GoogleTest's own tests use it; this one waits on an atomic flag.
#ifndef CBQ_GTEST_MINGW_CUSTOM_PORT_H
#define CBQ_GTEST_MINGW_CUSTOM_PORT_H

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : notified_(false) {}
    Notification(const Notification &) = delete;
    Notification &operator=(const Notification &) = delete;
    void Notify() { __atomic_store_n(&notified_, true, __ATOMIC_RELEASE); }
    void WaitForNotification() {
        while (!__atomic_load_n(&notified_, __ATOMIC_ACQUIRE)) {
        }
    }

private:
    bool notified_;
};

}  // namespace internal
}  // namespace testing

#endif
