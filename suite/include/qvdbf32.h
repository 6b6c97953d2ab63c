/* QVDBF32.DLL: the suite's modem database, MODEM.DBF, one record a model.
 *
 * The class is in the suite's C++ ABI (Microsoft's). Code of another ABI that
 * needs only the record defines QVDBF32_TYPES_ONLY before including this. */
#ifndef QVDBF32_H
#define QVDBF32_H

#include <stddef.h>

/* One modem model. Texts are NUL-terminated; sizes count the NUL. The layout
 * is shared with the suite's other programs: natural alignment, 884 bytes. */
struct ModemInfoStruct {
    unsigned int recordNumber;      /* the record's number in MODEM.DBF, from 1 */
    char init[81];                  /* complete initialisation command */
    char init2[81];                 /* second initialisation command */
    char commandA[41];
    char commandB[41];
    char commandC[41];
    char commandD[11];
    char fullCommandA[21];
    char hangUp[21];                /* complete hang-up command */
    char fullCommandB[21];
    char shortCommandA[11];
    char shortCommandB[11];
    char shortCommandC[11];
    char speakerOn[11];
    char speakerOff[11];
    char speakerUntilConnect[11];
    char volumeLow[11];
    char volumeMedium[11];
    char volumeHigh[11];
    char dialTone[11];
    char dialPulse[11];
    char speedSlow[11];
    char speedNormal[11];
    char speedFast[11];
    char progressNone[11];
    char progressDialTone[11];
    char progressBusy[11];
    char progressAll[11];
    char replies[9][16];            /* OK, CONNECT, NO CARRIER, ERROR, NO DIALTONE,
                                       BUSY, NO ANSWER, two more failure replies */
    char watchedReply[11];
    char commandPrefix[12];         /* text put before commands, e.g. "AT" */
    unsigned short maxCommandLength;
    int number160;
    unsigned short number162;
    unsigned short hardwareHandshake;
    unsigned int number178;
    char modelName[41];             /* list text and lookup key */
    char modelText[21];
    char manufacturerReply[41];     /* expected in the reply to AT+FMFR? or ATI3 */
    char identifyCommand[11];       /* appended to the prefix */
    char identifyReply[22];         /* expected in the reply to it */
    unsigned int number148;
};

#if !defined(__cplusplus) || __cplusplus >= 201103L
static_assert(offsetof(ModemInfoStruct, init) == 4, "layout");
static_assert(offsetof(ModemInfoStruct, replies) == 561, "layout");
static_assert(offsetof(ModemInfoStruct, maxCommandLength) == 728, "layout");
static_assert(offsetof(ModemInfoStruct, number160) == 732, "layout");
static_assert(offsetof(ModemInfoStruct, modelName) == 744, "layout");
static_assert(offsetof(ModemInfoStruct, identifyReply) == 858, "layout");
static_assert(offsetof(ModemInfoStruct, number148) == 880, "layout");
static_assert(sizeof(ModemInfoStruct) == 884, "layout");
#endif

/* The order offsets count in. Offset 0 is always the file's first record,
 * the defaults record: the Hayes settings every model starts from, named
 * "(defaults)". It is never listed and GetMatchedRecord does not find it.
 * Offsets 1 to GetCount() - 1 are the models: in file order for
 * eModemIndexRecord, in model-name order (case-insensitive) for
 * eModemIndexModelName. */
enum ModemIndex { eModemIndexRecord = 0, eModemIndexModelName = 3 };

#ifndef QVDBF32_TYPES_ONLY

#ifdef QVDBF32_BUILD
#define QVDBF32_API __declspec(dllexport)
#else
#define QVDBF32_API __declspec(dllimport)
#endif

/* Allocated by the caller: the size is part of the interface. */
class QVDBF32_API ModemDBF {
public:
    /* path: full path of MODEM.DBF, copied at once. Callers pass mode 1;
     * the database is always opened read only, as nothing here writes it. */
    ModemDBF(char* path, unsigned mode);
    ~ModemDBF();
    int Open();                     /* 1 when the database is usable */
    long GetCount();                /* number of records, the defaults record included */
    /* 1 when the record at offset was read into info. fill 0 only tells
     * whether the offset holds a record. Deleted records are not read. */
    int GetRecordFromOffset(ModemInfoStruct* info, long offset, int fill, ModemIndex index);
    /* 1 when a model named info->modelName (case and trailing blanks aside)
     * was found and info filled. */
    int GetMatchedRecord(ModemInfoStruct* info, ModemIndex index);
    int Close();

private:
    ModemDBF(const ModemDBF&);
    ModemDBF& operator=(const ModemDBF&);
    void* reserved_[1024];
};

#endif /* QVDBF32_TYPES_ONLY */

#endif
