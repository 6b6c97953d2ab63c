// KESTRIX.EXE: loads QVWIZ32.DLL and runs its wizards as the suite's
// program does: the setup wizard, then the registration wizard when the
// user asked to register. Each call's result goes to stdout.
//
//   KESTRIX.EXE [--setup | --register] [--owner] [--text TEXT]
//     --setup     run only the setup wizard
//     --register  run only the registration wizard
//     --owner     give the wizards a window of the launcher as their parent
//     --text      the text handed to the registration wizard
#include <windows.h>
#include <cstdio>
#include <cstring>

typedef int(__cdecl* InitWizardDlgFn)(void);
typedef void(__cdecl* DeInitWizardDlgFn)(void);
typedef int(__cdecl* DoSetupWizardFn)(HWND);
typedef int(__cdecl* DoRegisterWizardFn)(HWND, const char*);

static void Report(const char* line, int value)
{
    std::printf("%s %d\n", line, value);
    std::fflush(stdout);
}

template <class Fn>
static Fn Lookup(HMODULE library, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

static HWND CreateOwnerWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "KestrixMain";
    RegisterClassA(&wc);
    HWND owner = CreateWindowA("KestrixMain", "Kestrix", WS_OVERLAPPEDWINDOW, 40, 40, 720, 540,
                               nullptr, nullptr, wc.hInstance, nullptr);
    if (owner)
        ShowWindow(owner, SW_SHOW);
    return owner;
}

int main(int argc, char** argv)
{
    bool setup = true, registration = true, withOwner = false;
    const char* text = nullptr;
    for (int i = 1; i < argc; i++) {
        if (!std::strcmp(argv[i], "--setup"))
            registration = false;
        else if (!std::strcmp(argv[i], "--register"))
            setup = false;
        else if (!std::strcmp(argv[i], "--owner"))
            withOwner = true;
        else if (!std::strcmp(argv[i], "--text") && i + 1 < argc)
            text = argv[++i];
        else {
            std::fprintf(stderr, "usage: KESTRIX.EXE [--setup | --register] [--owner] [--text TEXT]\n");
            return 2;
        }
    }

    HMODULE library = LoadLibraryA("QVWIZ32.DLL");
    if (!library) {
        std::fprintf(stderr, "QVWIZ32.DLL cannot be loaded (error %lu)\n", GetLastError());
        return 1;
    }
    auto init = Lookup<InitWizardDlgFn>(library, "InitWizardDlg");
    auto deinit = Lookup<DeInitWizardDlgFn>(library, "DeInitWizardDlg");
    auto doSetup = Lookup<DoSetupWizardFn>(library, "DoSetupWizard");
    auto doRegister = Lookup<DoRegisterWizardFn>(library, "DoRegisterWizard");
    if (!init || !deinit || !doSetup || !doRegister) {
        std::fprintf(stderr, "QVWIZ32.DLL lacks an entry point\n");
        FreeLibrary(library);
        return 1;
    }

    HWND owner = withOwner ? CreateOwnerWindow() : nullptr;
    Report("InitWizardDlg", init());
    int setupResult = 2;
    if (setup) {
        setupResult = doSetup(owner);
        Report("DoSetupWizard", setupResult);
    }
    // 2 from the setup wizard means the user ticked electronic registration.
    if (registration && setupResult == 2)
        Report("DoRegisterWizard", doRegister(owner, text));
    deinit();
    std::printf("DeInitWizardDlg\n");
    std::fflush(stdout);

    if (owner)
        DestroyWindow(owner);
    FreeLibrary(library);
    return 0;
}
