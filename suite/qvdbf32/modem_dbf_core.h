/* The modem database behind an exported ModemDBF, as plain C functions: the
 * class in the suite's ABI and the code behind it meet on a convention both
 * compilers share. Native tools and tests call these directly. */
#ifndef MODEM_DBF_CORE_H
#define MODEM_DBF_CORE_H

#define QVDBF32_TYPES_ONLY
#include "qvdbf32.h"

struct ModemDbfCore;

extern "C" {
/* The members of ModemDBF, described in qvdbf32.h. */
ModemDbfCore* ModemDbfCreate(const char* path);
void ModemDbfFree(ModemDbfCore* db);    /* closes first */
int ModemDbfOpen(ModemDbfCore* db);
long ModemDbfCount(ModemDbfCore* db);
int ModemDbfRecordAt(ModemDbfCore* db, ModemInfoStruct* info, long offset, int fill,
                     ModemIndex index);
int ModemDbfMatch(ModemDbfCore* db, ModemInfoStruct* info, ModemIndex index);
int ModemDbfClose(ModemDbfCore* db);
}

#endif
