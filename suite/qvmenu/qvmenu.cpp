// QVMENU.EXE, the Kestrix Menu: a small window whose menu starts the
// suite's programs. The start-up item setup makes for it passes "/KX",
// which marks a start with Windows; the menu then says so.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "qvmenu_ids.h"

namespace {

HINSTANCE g_instance;
std::string g_status;

std::string LoadText(UINT id) {
    char text[256] = "";
    LoadStringA(g_instance, id, text, sizeof text);
    return text;
}

std::string SuiteFolder() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path, n < sizeof path ? n : 0);
    size_t slash = s.find_last_of('\\');
    return slash == std::string::npos ? std::string(".") : s.substr(0, slash);
}

bool StartedWithWindows(const char* commandLine) {
    for (const char* p = commandLine; *p; ++p)
        if ((p[0] == '/' || p[0] == '-') && (p[1] == 'K' || p[1] == 'k') &&
            (p[2] == 'X' || p[2] == 'x') && (p[3] == '\0' || p[3] == ' '))
            return true;
    return false;
}

void RunSuiteProgram(HWND window, const char* name) {
    std::string folder = SuiteFolder();
    std::string commandLine = "\"" + folder + "\\" + name + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                       folder.c_str(), &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return;
    }
    char message[MAX_PATH + 64];
    wsprintfA(message, LoadText(IDS_NOT_FOUND).c_str(), name);
    MessageBoxA(window, message, LoadText(IDS_TITLE).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void OnCommand(HWND window, UINT id) {
    switch (id) {
    case IDC_EXIT:
        DestroyWindow(window);
        break;
    case IDC_RUN_SUITE:
        RunSuiteProgram(window, "KESTRIX.EXE");
        break;
    case IDC_OPEN_VOICE:
        ShellExecuteA(window, "open", (SuiteFolder() + "\\VOICE").c_str(), nullptr, nullptr,
                      SW_SHOWNORMAL);
        break;
    case IDC_ABOUT:
        MessageBoxA(window, LoadText(IDS_ABOUT).c_str(), LoadText(IDS_TITLE).c_str(),
                    MB_OK | MB_ICONINFORMATION);
        break;
    }
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    InflateRect(&client, -12, -12);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    DrawTextA(dc, g_status.c_str(), -1, &client, DT_WORDBREAK);
    SelectObject(dc, old);
    EndPaint(window, &paint);
}

LRESULT CALLBACK MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam));
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    g_instance = instance;
    g_status = LoadText(StartedWithWindows(commandLine) ? IDS_AT_STARTUP : IDS_READY);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MenuWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MENU));
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));   // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDM_MAIN);
    windowClass.lpszClassName = "KestrixMenu";
    if (!RegisterClassA(&windowClass))
        return 1;
    std::string title = LoadText(IDS_TITLE);
    HWND window = CreateWindowA("KestrixMenu", title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 320, 140, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
