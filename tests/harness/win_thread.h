// A second thread for Windows tests that drive a wizard while the test's own
// thread sits in the wizard's modal loop. MinGW's win32 thread model, which
// the suite is built with, has no std::thread.
#ifndef QV_TESTS_WIN_THREAD_H
#define QV_TESTS_WIN_THREAD_H

#include <windows.h>
#include <functional>
#include <utility>

class WinThread {
public:
    WinThread() = default;
    explicit WinThread(std::function<void()> body)
        : body_(new std::function<void()>(std::move(body)))
    {
        handle_ = CreateThread(nullptr, 0, &WinThread::Start, body_, 0, nullptr);
    }
    WinThread(WinThread&& other) noexcept
        : handle_(std::exchange(other.handle_, nullptr)), body_(std::exchange(other.body_, nullptr)) {}
    WinThread& operator=(WinThread&& other) noexcept
    {
        join();
        handle_ = std::exchange(other.handle_, nullptr);
        body_ = std::exchange(other.body_, nullptr);
        return *this;
    }
    WinThread(const WinThread&) = delete;
    WinThread& operator=(const WinThread&) = delete;
    ~WinThread() { join(); }

    bool joinable() const { return handle_ != nullptr; }
    void join()
    {
        if (!handle_)
            return;
        WaitForSingleObject(handle_, INFINITE);
        CloseHandle(handle_);
        handle_ = nullptr;
        delete body_;
        body_ = nullptr;
    }

private:
    static DWORD WINAPI Start(void* body)
    {
        (*static_cast<std::function<void()>*>(body))();
        return 0;
    }
    HANDLE handle_ = nullptr;
    std::function<void()>* body_ = nullptr;
};

#endif
