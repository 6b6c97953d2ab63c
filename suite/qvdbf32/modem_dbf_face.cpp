// ModemDBF as the suite's programs call it: each member hands over to the
// database behind it, whose pointer the object keeps in its first private word.
#include "qvdbf32.h"
#include "modem_dbf_core.h"

namespace {

ModemDbfCore* DatabaseIn(void* const* reserved)
{
    return static_cast<ModemDbfCore*>(reserved[0]);
}

}  // namespace

ModemDBF::ModemDBF(char* path, unsigned) { reserved_[0] = ModemDbfCreate(path); }
ModemDBF::~ModemDBF() { ModemDbfFree(DatabaseIn(reserved_)); }
int ModemDBF::Open() { return ModemDbfOpen(DatabaseIn(reserved_)); }
long ModemDBF::GetCount() { return ModemDbfCount(DatabaseIn(reserved_)); }

int ModemDBF::GetRecordFromOffset(ModemInfoStruct* info, long offset, int fill, ModemIndex index)
{
    return ModemDbfRecordAt(DatabaseIn(reserved_), info, offset, fill, index);
}

int ModemDBF::GetMatchedRecord(ModemInfoStruct* info, ModemIndex index)
{
    return ModemDbfMatch(DatabaseIn(reserved_), info, index);
}

int ModemDBF::Close() { return ModemDbfClose(DatabaseIn(reserved_)); }
