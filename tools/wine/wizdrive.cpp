// WIZDRIVE.EXE: drives a wizard of another process the way a person would
// look at it and press its buttons. It reads one command a line on stdin
// and answers one line, "ok ..." or "error ...":
//   sheet TITLE          wait for the top-level dialog TITLE, make it current
//   shown TITLE          1 (and TITLE becomes current) when it is on the screen now, else 0
//   page                 welcome | identity | address | port | model | startup | other:TEXT
//   items ID             a combo box's or list box's entries, joined by "|"
//   select ID TEXT       choose the combo box entry TEXT, as a click in its list does;
//                        without TEXT, choose none
//   icon ID              the icon handle an icon control shows (0 for none)
//   set ID TEXT / get ID           text of a control of the visible page
//   check ID 0|1 / checked ID / visible ID / enabled ID|page
//   press ID             click a button of the visible page
//   focus                id of the control that has the focus
//   defid                id of the visible page's default button
//   limit ID             the most characters an edit control takes
//   msgbox TITLE         wait for a message box, answer its text, press OK
//   detect TITLE         wait for TITLE's OK to be enabled, answer text 1078, press OK
//   awaits TITLE         wait for TITLE's OK to be enabled, answer the id of the control
//                        with the focus (pressing nothing)
//   ended                ok when the dialog of the last awaits is destroyed within 5 s
//                        and the sheet is enabled again
//   where ID|close|menu TITLE  screen point of a control of dialog TITLE, or of its
//                        close box or system-menu box
//   selected ID          a list box's selected entry
//   pick ID INDEX        select a list box entry as a click does (LBN_SELCHANGE)
//   point ID INDEX       screen centre of a list box entry
//   nomsgbox TITLE       ok when no such box shows within half a second
//   pause MS             give the wizard time to take real key presses in
//   hold PORT / release  keep a COM port open, as another program would
//   registering SECONDS  wait for the "Registering" dialog's "&OK", answer its status, press it
//   registered SECONDS   the same, pressing nothing: the dialog repainted as it ends, for a picture
//   vanishes SECONDS     ok when "Registering" goes by itself (pressing nothing) within
//                        SECONDS, with the last status it showed
//   picture BITMAP       how many pixels of the library's bitmap the sheet's picture
//                        does not show as drawn (0: that picture, as it should look)
//   title / close / gone / quit
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0500
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include "wizdrive_picture.h"

static HWND g_sheet;

// Every wait, longer by the factor the harness puts in QV_PATIENCE: under
// emulation (the shipping build's tests) everything takes several times as long.
static DWORD Patient(DWORD ms)
{
    char factor[8] = "";
    GetEnvironmentVariableA("QV_PATIENCE", factor, sizeof factor);
    int times = atoi(factor);
    return times > 1 ? ms * times : ms;
}

static HWND WaitForDialog(const char* title, DWORD ms)
{
    ms = Patient(ms);
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(30))
        if (HWND w = FindWindowA("#32770", title))
            if (IsWindowVisible(w))
                return w;
    return nullptr;
}

static BOOL CALLBACK FindVisiblePage(HWND child, LPARAM out)
{
    char cls[16];
    GetClassNameA(child, cls, sizeof cls);
    if (GetParent(child) == g_sheet && !strcmp(cls, "#32770") && IsWindowVisible(child)) {
        *reinterpret_cast<HWND*>(out) = child;
        return FALSE;
    }
    return TRUE;
}

// Between hiding one page and showing the next, on a loaded machine, there
// is none for a moment: look again for up to two seconds.
static HWND VisiblePage()
{
    HWND page = nullptr;
    for (int tries = 0; g_sheet && !page && tries < int(Patient(40)); tries++) {
        if (tries)
            Sleep(50);
        EnumChildWindows(g_sheet, FindVisiblePage, reinterpret_cast<LPARAM>(&page));
    }
    return page;
}

static std::string Text(HWND w)
{
    char buffer[1024] = "";
    SendMessageTimeoutA(w, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 3000, nullptr);
    return buffer;
}

// The registration call's status line, its line ends written as \r and \n.
static std::string StatusLine(HWND box)
{
    std::string text;
    for (char c : Text(GetDlgItem(box, 1078)))
        text += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
    return text;
}

static bool IsComboBox(HWND control)
{
    char name[32] = "";
    GetClassNameA(control, name, sizeof name);
    return !lstrcmpiA(name, "ComboBox");
}

static std::string PageName(HWND page)
{
    if (GetDlgItem(page, 1049)) return "welcome";
    if (GetDlgItem(page, 1065)) return "identity";
    if (GetDlgItem(page, 1074)) return "address";
    if (GetDlgItem(page, 1080)) return "port";
    if (GetDlgItem(page, 1001)) return "startup";
    if (GetDlgItem(page, 1064)) return "model";
    HWND first = GetWindow(page, GW_CHILD);
    return "other:" + (first ? Text(first) : std::string());
}

static std::string Run(char* line)
{
    char* command = strtok(line, " \r\n");
    if (!command) return "error empty";
    char* rest = strtok(nullptr, "\r\n");
    std::string arg = rest ? rest : "";
    if (!strcmp(command, "sheet")) {
        g_sheet = WaitForDialog(arg.c_str(), 20000);
        return g_sheet ? "ok" : "error no sheet";
    }
    if (!strcmp(command, "shown")) {
        HWND now = FindWindowA("#32770", arg.c_str());
        if (!now || !IsWindowVisible(now)) return "ok 0";
        g_sheet = now;
        return "ok 1";
    }
    if (!strcmp(command, "title")) return "ok " + Text(g_sheet);
    if (!strcmp(command, "picture")) return ComparePicture(g_sheet, atoi(arg.c_str()));
    // Holding a port as another program of the suite does: its claim (the
    // serial driver's named mutex; Wine lets two processes open one COM
    // port) and, for a port of this machine, the port itself.
    static HANDLE held = INVALID_HANDLE_VALUE, claim = nullptr;
    if (!strcmp(command, "hold") && arg.find('\\') != std::string::npos) {
        // A file, held as a program that opened it without sharing does.
        held = CreateFileA(arg.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        return held != INVALID_HANDLE_VALUE ? "ok" : "error cannot hold " + arg;
    }
    if (!strcmp(command, "hold")) {
        std::string name = "QVCOMM32 PORT " + arg;
        CharUpperBuffA(&name[0], static_cast<DWORD>(name.size()));
        claim = CreateMutexA(nullptr, FALSE, name.c_str());
        held = CreateFileA(("\\\\.\\" + arg).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, 0, nullptr);
        return claim ? "ok" : "error no claim for " + arg;
    }
    if (!strcmp(command, "release")) {
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        if (claim)
            CloseHandle(claim);
        held = INVALID_HANDLE_VALUE;
        claim = nullptr;
        return "ok";
    }
    if (!strcmp(command, "pause")) {
        Sleep(Patient(DWORD(atoi(arg.c_str()))));
        return "ok";
    }
    if (!strcmp(command, "close")) {
        PostMessageA(g_sheet, WM_CLOSE, 0, 0);
        return "ok";
    }
    if (!strcmp(command, "gone")) {
        for (int i = 0; i < int(Patient(300)) && IsWindow(g_sheet); i++) Sleep(30);
        return IsWindow(g_sheet) ? "error still there" : "ok";
    }
    if (!strcmp(command, "msgbox") || !strcmp(command, "nomsgbox")) {
        bool want = command[0] == 'm';
        HWND box = WaitForDialog(arg.c_str(), want ? 10000 : 500);
        if (!box) return want ? "error no message box" : "ok";
        std::string text = Text(GetDlgItem(box, 0xFFFF));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < int(Patient(200)) && IsWindow(box); i++) Sleep(20);
        return (want ? "ok " : "error box: ") + text;
    }
    if (!strcmp(command, "answer")) {
        // "answer ID TITLE": press button ID of a message box (7: "No").
        char* end;
        int id = static_cast<int>(strtol(arg.c_str(), &end, 10));
        HWND box = WaitForDialog(*end ? end + 1 : "", 10000);
        if (!box) return "error no message box";
        std::string text = Text(GetDlgItem(box, 0xFFFF));
        PostMessageA(box, WM_COMMAND, id, 0);
        for (int i = 0; i < 200 && IsWindow(box); i++) Sleep(20);
        return "ok " + text;
    }
    if (!strcmp(command, "detect")) {
        HWND box = WaitForDialog(arg.c_str(), 10000);
        if (!box) return "error no " + arg;
        for (int i = 0; i < int(Patient(3000)) && !IsWindowEnabled(GetDlgItem(box, IDOK)); i++) Sleep(20);
        std::string text;  // one answer line: line ends written as \n
        for (char c : Text(GetDlgItem(box, 1078)))
            text += c == '\n' ? std::string("\\n") : c == '\r' ? std::string() : std::string(1, c);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < int(Patient(200)) && IsWindow(box); i++) Sleep(20);
        return "ok " + text;
    }
    static HWND awaited;
    if (!strcmp(command, "awaits")) {
        awaited = WaitForDialog(arg.c_str(), 10000);
        if (!awaited) return "error no " + arg;
        for (int i = 0; i < 3000 && !IsWindowEnabled(GetDlgItem(awaited, IDOK)); i++) Sleep(20);
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(awaited, nullptr), &info);
        return "ok " + std::to_string(info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0);
    }
    if (!strcmp(command, "ended")) {
        for (int i = 0; i < 250 && IsWindow(awaited); i++) Sleep(20);
        if (IsWindow(awaited))
            return IsWindowVisible(awaited) ? "error still open" : "error hidden, not ended";
        for (int i = 0; i < 50 && !IsWindowEnabled(g_sheet); i++) Sleep(20);
        return IsWindowEnabled(g_sheet) ? "ok" : "error the sheet stays disabled";
    }
    if (!strcmp(command, "where")) {
        // "where ID TITLE": the screen centre of a control of a dialog, for
        // a real click; ID "close" or "menu": a point inside the caption's
        // rightmost or leftmost box (close box, system-menu box).
        char* end;
        int id = static_cast<int>(strtol(arg.c_str(), &end, 10));
        std::string box = arg.substr(0, arg.find(' '));
        bool caption = box == "close" || box == "menu";
        HWND dialog = WaitForDialog(caption ? arg.c_str() + box.size() + 1 : *end ? end + 1 : "", 10000);
        RECT r;
        if (dialog && caption && GetWindowRect(dialog, &r)) {
            int inset = GetSystemMetrics(SM_CXDLGFRAME) + GetSystemMetrics(SM_CXSIZE) / 2 + 1;
            return "ok " + std::to_string(box == "close" ? r.right - inset : r.left + inset) + " " +
                   std::to_string(r.top + GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2);
        }
        if (!dialog || !GetWindowRect(GetDlgItem(dialog, id), &r)) return "error no control";
        return "ok " + std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2);
    }
    if (!strcmp(command, "registering") || !strcmp(command, "registered")) {
        // The registration call's dialog: its status once the button reads
        // "&OK" (arg: seconds to wait), which is then pressed.
        HWND box = WaitForDialog("Registering", 20000);
        if (!box) return "error no Registering";
        int seconds = arg.empty() ? 120 : atoi(arg.c_str());
        for (int i = 0; i < seconds * 50 && IsWindow(box) && Text(GetDlgItem(box, IDCANCEL)) != "&OK"; i++)
            Sleep(20);
        if (!IsWindow(box)) return "ok closed";
        std::string text = StatusLine(box);
        if (!strcmp(command, "registered")) {
            // The text is set before the button is drawn again.
            RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            return "ok " + text;
        }
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        for (int i = 0; i < int(Patient(200)) && IsWindow(box); i++) Sleep(20);
        return "ok " + text;
    }
    if (!strcmp(command, "vanishes")) {
        HWND box = WaitForDialog("Registering", 20000);
        if (!box) return "error no Registering";
        std::string seen;  // every status shown, oldest first
        for (DWORD start = GetTickCount(); GetTickCount() - start < DWORD(atoi(arg.c_str())) * 1000; Sleep(20)) {
            std::string now = StatusLine(box);
            if (!IsWindow(box)) return "ok " + seen;
            if (!now.empty() && (seen.size() < now.size() || seen.compare(seen.size() - now.size(), now.size(), now)))
                seen += (seen.empty() ? "" : " > ") + now;
        }
        return "error stays: " + seen;
    }
    HWND page = VisiblePage();
    if (!page) return "error no page";
    if (!strcmp(command, "page")) return "ok " + PageName(page);
    if (!strcmp(command, "focus")) {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(g_sheet, nullptr), &info);
        return "ok " + std::to_string(info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0);
    }
    if (!strcmp(command, "defid"))
        return "ok " + std::to_string(LOWORD(SendMessageA(page, DM_GETDEFID, 0, 0)));
    if (!strcmp(command, "enabled") && arg == "page")
        return "ok " + std::to_string(IsWindowEnabled(page) ? 1 : 0);
    char* end;
    int id = static_cast<int>(strtol(arg.c_str(), &end, 10));
    std::string value = *end ? end + 1 : "";
    HWND control = GetDlgItem(page, id);
    if (!control) return "error no control " + std::to_string(id);
    if (!strcmp(command, "get")) return "ok " + Text(control);
    if (!strcmp(command, "set")) {
        SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()),
                            SMTO_ABORTIFHUNG, 3000, nullptr);
        return "ok";
    }
    if (!strcmp(command, "check")) {
        SendMessageA(control, BM_SETCHECK, atoi(value.c_str()) ? BST_CHECKED : BST_UNCHECKED, 0);
        return "ok";
    }
    if (!strcmp(command, "items") && IsComboBox(control)) {
        // Each entry is read through the combo box's own text: CB_GETLBTEXT
        // does not carry the text back from another process under Wine.
        std::string all;
        LRESULT n = SendMessageA(control, CB_GETCOUNT, 0, 0);
        LRESULT chosen = SendMessageA(control, CB_GETCURSEL, 0, 0);
        for (LRESULT i = 0; i < n; i++) {
            SendMessageA(control, CB_SETCURSEL, i, 0);
            all += (i ? "|" : "") + Text(control);
        }
        SendMessageA(control, CB_SETCURSEL, chosen, 0);
        return "ok " + all;
    }
    if (!strcmp(command, "select")) {
        LRESULT at = value.empty() ? -1 : SendMessageA(control, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(value.c_str()));
        if (at == CB_ERR && !value.empty()) return "error no entry " + value;
        SendMessageA(control, CB_SETCURSEL, at, 0);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
        return "ok";
    }
    if (!strcmp(command, "icon"))
        return "ok " + std::to_string(reinterpret_cast<uintptr_t>(
                           reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0))));
    if (!strcmp(command, "checked"))
        return "ok " + std::to_string(SendMessageA(control, BM_GETCHECK, 0, 0));
    if (!strcmp(command, "visible")) return "ok " + std::to_string(IsWindowVisible(control) ? 1 : 0);
    if (!strcmp(command, "enabled")) return "ok " + std::to_string(IsWindowEnabled(control) ? 1 : 0);
    if (!strcmp(command, "limit")) return "ok " + std::to_string(SendMessageA(control, EM_GETLIMITTEXT, 0, 0));
    if (!strcmp(command, "selected") || !strcmp(command, "items")) {
        int selected = static_cast<int>(SendMessageA(control, LB_GETCURSEL, 0, 0));
        int count = static_cast<int>(SendMessageA(control, LB_GETCOUNT, 0, 0));
        std::string out;
        for (int i = 0; i < count; i++) {
            // Across processes the text comes back as Unicode.
            wchar_t wide[256] = L"";
            char entry[256] = "";
            if (command[0] == 'i' || i == selected) {
                SendMessageW(control, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide));
                WideCharToMultiByte(CP_ACP, 0, wide, -1, entry, sizeof entry, nullptr, nullptr);
            }
            if (command[0] == 'i')
                out += (i ? "|" : "") + std::string(entry);
            else if (i == selected)
                out = entry;
        }
        return "ok " + out;
    }
    if (!strcmp(command, "point")) {
        // "point ID INDEX": the screen centre of a list box entry, for a real click.
        RECT r;
        if (SendMessageA(control, LB_GETITEMRECT, atoi(value.c_str()), reinterpret_cast<LPARAM>(&r)) == LB_ERR)
            return "error no entry";
        POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(control, &centre);
        return "ok " + std::to_string(centre.x) + " " + std::to_string(centre.y);
    }
    if (!strcmp(command, "pick")) {
        SendMessageA(control, LB_SETCURSEL, atoi(value.c_str()), 0);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
        return "ok";
    }
    if (!strcmp(command, "press")) {
        // Posted, as a click is: a handler that opens a message box must
        // not hold this driver up.
        PostMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
        Sleep(50);
        // A sent message is taken when the wizard next looks at its queue:
        // the first answer comes once it is done with what it was busy with
        // (drawing a page, say), the second once the click has
        // been handled or a message box it opened waits for input.
        for (int i = 0; i < 2; i++) {
            SendMessageTimeoutA(page, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
            Sleep(20);
        }
        return "ok";
    }
    return "error unknown command";
}

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    char line[1200];
    while (fgets(line, sizeof line, stdin)) {
        if (!strncmp(line, "quit", 4)) break;
        std::printf("%s\n", Run(line).c_str());
    }
    return 0;
}
