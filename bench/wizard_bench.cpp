// WIZBENCH.EXE: runs the setup wizard of QVWIZ32.DLL for the benchmark
// script (wizard_bench.py).
//   WIZBENCH.EXE start N     N runs; prints the median time from the call of
//                            DoSetupWizard until the first page is visible
//   WIZBENCH.EXE idle S      shows the wizard, prints "shown", leaves it idle
//                            for S seconds, closes it
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "../tools/wine/wizard_watch.h"

typedef int(__cdecl* DoSetupWizardFn)(HWND);

static double Now()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

int main(int argc, char** argv)
{
    if (argc != 3 || (std::strcmp(argv[1], "start") && std::strcmp(argv[1], "idle"))) {
        std::fprintf(stderr, "usage: WIZBENCH.EXE start N | idle SECONDS\n");
        return 2;
    }
    HMODULE library = LoadLibraryA("QVWIZ32.DLL");
    auto doSetup = library ? reinterpret_cast<DoSetupWizardFn>(
                                 reinterpret_cast<void*>(GetProcAddress(library, "DoSetupWizard")))
                           : nullptr;
    if (!doSetup) {
        std::fprintf(stderr, "QVWIZ32.DLL or DoSetupWizard missing\n");
        return 1;
    }
    const int count = std::atoi(argv[2]);

    if (!std::strcmp(argv[1], "idle")) {
        WatchThread closer([count] {
            HWND sheet = WaitForWizard("Kestrix Setup Wizard", 20000, true, 1);
            std::printf("shown\n");
            std::fflush(stdout);
            Sleep(count * 1000);
            if (sheet)
                PostMessageA(sheet, WM_CLOSE, 0, 0);
        });
        doSetup(nullptr);
        closer.join();
        return 0;
    }

    std::vector<double> times;
    for (int i = 0; i < count; i++) {
        double shownAt = 0;
        const double start = Now();
        WatchThread watcher([&shownAt] {
            HWND sheet = WaitForWizard("Kestrix Setup Wizard", 20000, true, 1);
            shownAt = Now();
            if (sheet)
                PostMessageA(sheet, WM_CLOSE, 0, 0);
        });
        doSetup(nullptr);
        watcher.join();
        times.push_back(shownAt - start);
    }
    std::sort(times.begin(), times.end());
    std::printf("DoSetupWizard to first page shown: median %.1f ms, min %.1f ms, max %.1f ms (%d runs)\n",
                times[times.size() / 2], times.front(), times.back(), count);
    return 0;
}
