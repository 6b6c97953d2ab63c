/* The columns of MODEM.DBF and where each lands in a ModemInfoStruct. The
 * database builder and ModemDBF share this one table, so the file and the
 * struct cannot drift apart. */
#ifndef MODEM_COLUMNS_H
#define MODEM_COLUMNS_H

#include <stddef.h>

enum ModemColumnKind {
    eModemText,         /* char[size]: a C field of size - 1 characters */
    eModemUnsigned,     /* unsigned integer of size bytes: an N field */
    eModemSigned,       /* signed 32-bit: an N field */
    eModemFlag,         /* unsigned 16-bit 0 or 1: an L field */
    eModemMemo          /* not in the struct: an M field */
};

struct ModemColumn {
    const char* field;  /* the DBF field name, also the key in the data files */
    ModemColumnKind kind;
    unsigned char width;    /* width of the DBF field */
    size_t offset;          /* in ModemInfoStruct */
    size_t size;            /* bytes in ModemInfoStruct */
};

extern const ModemColumn kModemColumns[];
extern const int kModemColumnCount;

/* The column that holds the model name: the lookup key. */
#define MODEM_NAME_FIELD "MODEL"

#endif
