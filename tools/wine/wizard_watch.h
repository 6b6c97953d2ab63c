// For Windows tests and programs that run a wizard on one thread and watch
// or end it from another. MinGW's win32 thread model, which the Windows
// builds use, has no std::thread: WatchThread is a plain Win32 thread.
#pragma once
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <utility>

class WatchThread {
public:
    WatchThread() = default;
    explicit WatchThread(std::function<void()> body)
        : body_(new std::function<void()>(std::move(body)))
    {
        handle_ = CreateThread(nullptr, 0, Run, body_, 0, nullptr);
    }
    WatchThread(WatchThread&& other) noexcept { *this = std::move(other); }
    WatchThread& operator=(WatchThread&& other) noexcept
    {
        std::swap(handle_, other.handle_);
        std::swap(body_, other.body_);
        return *this;
    }
    ~WatchThread() { join(); }
    void join()
    {
        if (handle_) {
            WaitForSingleObject(handle_, INFINITE);
            CloseHandle(handle_);
            handle_ = nullptr;
        }
        delete body_;
        body_ = nullptr;
    }

private:
    static DWORD WINAPI Run(void* body)
    {
        (*static_cast<std::function<void()>*>(body))();
        return 0;
    }
    HANDLE handle_ = nullptr;
    std::function<void()>* body_ = nullptr;
};

// The wizard sheet with this title once it is visible (and, with withPage,
// its first page too); null when that does not happen within timeoutMs.
inline HWND WaitForWizard(const char* title, DWORD timeoutMs, bool withPage = false,
                          DWORD pollMs = 20)
{
    // Longer under emulation, by the factor the harness passes (QV_PATIENCE).
    char factor[8] = "";
    GetEnvironmentVariableA("QV_PATIENCE", factor, sizeof factor);
    if (atoi(factor) > 1)
        timeoutMs *= atoi(factor);
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(pollMs)) {
        HWND sheet = FindWindowA("#32770", title);
        HWND page = sheet ? FindWindowExA(sheet, nullptr, "#32770", nullptr) : nullptr;
        if (sheet && IsWindowVisible(sheet) && (!withPage || (page && IsWindowVisible(page))))
            return sheet;
    }
    return nullptr;
}
