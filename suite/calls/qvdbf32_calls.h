/* ModemDBF for the library's own code, compiled in MinGW's C++ ABI: a proxy
 * with the members the code calls, each passing the call on to the real
 * ModemDBF of QVDBF32.DLL (qvdbf32.h) through qvdbf32_calls.cpp, which is
 * compiled in the suite's ABI. The two classes of one name never meet at
 * link time: each ABI decorates the name its own way. */
#ifndef QVDBF32_CALLS_H
#define QVDBF32_CALLS_H

#define QVDBF32_TYPES_ONLY
#include "qvdbf32.h"

struct SuiteModemDBF;

extern "C" {
SuiteModemDBF* ModemDBFCallNew(char* path, unsigned mode);
void ModemDBFCallDelete(SuiteModemDBF* db);
int ModemDBFCallOpen(SuiteModemDBF* db);
long ModemDBFCallGetCount(SuiteModemDBF* db);
int ModemDBFCallGetRecordFromOffset(SuiteModemDBF* db, ModemInfoStruct* info, long offset,
                                    int fill, ModemIndex index);
int ModemDBFCallGetMatchedRecord(SuiteModemDBF* db, ModemInfoStruct* info, ModemIndex index);
int ModemDBFCallClose(SuiteModemDBF* db);
}

/* The members are described in qvdbf32.h. The suite's ABI side (qvdbf32_calls.cpp)
 * has the real class under this name instead. */
#ifndef _MSC_VER
class ModemDBF {
public:
    ModemDBF(char* path, unsigned mode) : real_(ModemDBFCallNew(path, mode)) {}
    ~ModemDBF() { ModemDBFCallDelete(real_); }
    int Open() { return ModemDBFCallOpen(real_); }
    long GetCount() { return ModemDBFCallGetCount(real_); }
    int GetRecordFromOffset(ModemInfoStruct* info, long offset, int fill, ModemIndex index)
    {
        return ModemDBFCallGetRecordFromOffset(real_, info, offset, fill, index);
    }
    int GetMatchedRecord(ModemInfoStruct* info, ModemIndex index)
    {
        return ModemDBFCallGetMatchedRecord(real_, info, index);
    }
    int Close() { return ModemDBFCallClose(real_); }

private:
    ModemDBF(const ModemDBF&) = delete;
    ModemDBF& operator=(const ModemDBF&) = delete;
    SuiteModemDBF* real_;
};
#endif

#endif
