// A second process writing the setup profile, driven by profile_stress.py.
//   profile_writer churn LOG FIRST  rewrites short item 200 with FIRST, FIRST+1,
//                                   ..., noting "begin N" and "end N" in LOG
//                                   around each write, until it is killed
//   profile_writer share A|B COUNT  writes COUNT values into items of its own
//                                   (A short items, B long items and numbers)
//                                   and after each write checks that none of
//                                   its last 256 writes was lost
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "qvstp32_calls.h"

static int Churn(const char* logPath, unsigned long first) {
    HANDLE log = CreateFileA(logPath, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    for (unsigned long n = first; log != INVALID_HANDLE_VALUE; ++n) {
        std::string value = std::to_string(n) + ":" + std::string(n * 37 % 70, 'x');
        std::string begin = "begin " + std::to_string(n) + "\n", end = "end" + begin.substr(5);
        DWORD written;
        WriteFile(log, begin.data(), DWORD(begin.size()), &written, NULL);
        if (!CQSetupProfile(0).SetProfile(eSetupShortStrItems(200), value.c_str(), 0)) return 2;
        WriteFile(log, end.data(), DWORD(end.size()), &written, NULL);
    }
    return 3;
}

/* Step s of writer A goes to short item s % 256; of writer B alternately to
 * long item and number (s / 2) % 128. Returns whether the item holds it. */
static bool Step(CQSetupProfile& p, char writer, int s, bool write) {
    std::string text = writer + std::to_string(s);
    if (writer == 'A') {
        eSetupShortStrItems item = eSetupShortStrItems(s % 256);
        return write ? p.SetProfile(item, text.c_str(), 0) != 0
                     : text == p.GetProfile(item, NULL, 0, eDefaultsNone);
    }
    if (s % 2 == 0) {
        eSetupLongStrItems item = eSetupLongStrItems(s / 2 % 128);
        return write ? p.SetProfile(item, text.c_str(), 0) != 0
                     : text == p.GetProfile(item, NULL, 0, eDefaultsNone);
    }
    eSetupNumItems item = eSetupNumItems(s / 2 % 128);
    return write ? p.SetProfile(item, (unsigned long)s, 0) != 0
                 : p.GetProfile(item, eDefaultsNone) == (unsigned long)s;
}

static int Share(char writer, int count) {
    for (int s = 0; s < count; ++s) {
        {
            CQSetupProfile p(0);
            if (!Step(p, writer, s, true)) return 2;
        }
        CQSetupProfile p(0);
        for (int earlier = s; earlier >= 0 && earlier > s - 256; --earlier) {
            if (!Step(p, writer, earlier, false)) {
                std::fprintf(stderr, "writer %c: step %d lost after step %d\n", writer, earlier, s);
                return 1;
            }
        }
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 4 && !std::strcmp(argv[1], "churn"))
        return Churn(argv[2], std::strtoul(argv[3], NULL, 10));
    if (argc == 4 && !std::strcmp(argv[1], "share") && (argv[2][0] == 'A' || argv[2][0] == 'B'))
        return Share(argv[2][0], std::atoi(argv[3]));
    std::fprintf(stderr, "usage: profile_writer churn LOG FIRST | share A|B COUNT\n");
    return 2;
}
