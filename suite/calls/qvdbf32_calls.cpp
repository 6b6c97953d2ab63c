// The proxy's calls (qvdbf32_calls.h) made on QVDBF32's ModemDBF in the
// suite's ABI.
#include "qvdbf32.h"
#include "qvdbf32_calls.h"

namespace {

// SuiteModemDBF is only the proxy's name for the real object.
ModemDBF* Real(SuiteModemDBF* db)
{
    return reinterpret_cast<ModemDBF*>(db);
}

}  // namespace

extern "C" {

SuiteModemDBF* ModemDBFCallNew(char* path, unsigned mode)
{
    return reinterpret_cast<SuiteModemDBF*>(new ModemDBF(path, mode));
}

void ModemDBFCallDelete(SuiteModemDBF* db) { delete Real(db); }
int ModemDBFCallOpen(SuiteModemDBF* db) { return Real(db)->Open(); }
long ModemDBFCallGetCount(SuiteModemDBF* db) { return Real(db)->GetCount(); }

int ModemDBFCallGetRecordFromOffset(SuiteModemDBF* db, ModemInfoStruct* info, long offset,
                                    int fill, ModemIndex index)
{
    return Real(db)->GetRecordFromOffset(info, offset, fill, index);
}

int ModemDBFCallGetMatchedRecord(SuiteModemDBF* db, ModemInfoStruct* info, ModemIndex index)
{
    return Real(db)->GetMatchedRecord(info, index);
}

int ModemDBFCallClose(SuiteModemDBF* db) { return Real(db)->Close(); }

}  // extern "C"
