// A second process writing the setup profile, driven by profile_stress.py.
//   profile_writer churn LOG FIRST  writes short item 200 again and again,
//                                   counting from FIRST, noting "begin N" and
//                                   "end N" in LOG around each write, until
//                                   it is killed
//   profile_writer share A|B COUNT  writes COUNT values into items of its own
//                                   (A: short items, B: long items and
//                                   numbers) and after each write checks
//                                   that none of its earlier writes was lost
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "qvstp32.h"

namespace {

std::string ChurnValue(unsigned long n) {
    return std::to_string(n) + ":" + std::string(n * 37 % 70, 'x');
}

int Churn(const char* logPath, unsigned long first) {
    HANDLE log = CreateFileA(logPath, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE) return 3;
    for (unsigned long n = first;; ++n) {
        char line[40];
        DWORD written;
        int length = std::snprintf(line, sizeof line, "begin %lu\n", n);
        WriteFile(log, line, length, &written, NULL);
        CQSetupProfile profile(0);
        if (!profile.SetProfile(static_cast<eSetupShortStrItems>(200), ChurnValue(n).c_str(), 0))
            return 2;
        length = std::snprintf(line, sizeof line, "end %lu\n", n);
        WriteFile(log, line, length, &written, NULL);
    }
}

/* Writer A owns short items 0-255; writer B long items 0-127 (even steps)
 * and numbers 0-127 (odd steps). */
struct Slot {
    char kind;
    int item;
};

Slot SlotOf(char writer, int step) {
    if (writer == 'A') return Slot{'S', step % 256};
    return Slot{step % 2 ? 'N' : 'L', (step / 2) % 128};
}

std::string TextOf(char writer, int step) { return writer + std::to_string(step); }

void Write(CQSetupProfile& profile, char writer, int step) {
    Slot s = SlotOf(writer, step);
    if (s.kind == 'S')
        profile.SetProfile(static_cast<eSetupShortStrItems>(s.item), TextOf(writer, step).c_str(), 0);
    else if (s.kind == 'L')
        profile.SetProfile(static_cast<eSetupLongStrItems>(s.item), TextOf(writer, step).c_str(), 0);
    else
        profile.SetProfile(static_cast<eSetupNumItems>(s.item), static_cast<unsigned long>(step), 0);
}

bool Holds(CQSetupProfile& profile, char writer, int step) {
    Slot s = SlotOf(writer, step);
    if (s.kind == 'N')
        return profile.GetProfile(static_cast<eSetupNumItems>(s.item), eDefaultsNone) ==
               static_cast<unsigned long>(step);
    const char* value =
        s.kind == 'S'
            ? profile.GetProfile(static_cast<eSetupShortStrItems>(s.item), NULL, 0, eDefaultsNone)
            : profile.GetProfile(static_cast<eSetupLongStrItems>(s.item), NULL, 0, eDefaultsNone);
    return TextOf(writer, step) == value;
}

int Share(char writer, int count) {
    const int slots = 256;
    for (int step = 0; step < count; ++step) {
        {
            CQSetupProfile profile(0);
            Write(profile, writer, step);
        }
        CQSetupProfile profile(0);
        /* Every slot holds the last value this writer gave it. */
        for (int earlier = step; earlier >= 0 && earlier > step - slots; --earlier) {
            if (!Holds(profile, writer, earlier)) {
                Slot s = SlotOf(writer, earlier);
                std::fprintf(stderr, "writer %c: step %d lost %c%d after step %d\n", writer,
                             earlier, s.kind, s.item, step);
                return 1;
            }
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && !std::strcmp(argv[1], "churn"))
        return Churn(argv[2], std::strtoul(argv[3], NULL, 10));
    if (argc == 4 && !std::strcmp(argv[1], "share") && (argv[2][0] == 'A' || argv[2][0] == 'B'))
        return Share(argv[2][0], std::atoi(argv[3]));
    std::fprintf(stderr, "usage: profile_writer churn LOG FIRST | share A|B COUNT\n");
    return 2;
}
