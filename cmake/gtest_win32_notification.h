// GoogleTest's Notification helper is written with std::mutex, which MinGW's
// win32 thread model lacks. This one does the same with a Win32 event; it is
// force-included into GoogleTest and the Windows tests (see project.cmake).
#ifndef QV_GTEST_WIN32_NOTIFICATION_H
#define QV_GTEST_WIN32_NOTIFICATION_H
#if defined(__cplusplus) && defined(_WIN32)
#include <windows.h>

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace internal
}  // namespace testing

#endif
#endif
