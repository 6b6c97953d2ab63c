#include "modem_columns.h"

#define QVDBF32_TYPES_ONLY
#include "qvdbf32.h"

#define TEXT(name, member) \
    { name, eModemText, sizeof(ModemInfoStruct::member) - 1, offsetof(ModemInfoStruct, member), \
      sizeof(ModemInfoStruct::member) }
#define REPLY(name, i) \
    { name, eModemText, 15, offsetof(ModemInfoStruct, replies) + 16 * (i), 16 }
#define NUMBER(name, kind, width, member) \
    { name, kind, width, offsetof(ModemInfoStruct, member), sizeof(ModemInfoStruct::member) }

const ModemColumn kModemColumns[] = {
    TEXT("MODEL", modelName),
    TEXT("MODELTEXT", modelText),
    TEXT("MFR_REPLY", manufacturerReply),
    TEXT("ID_CMD", identifyCommand),
    TEXT("ID_REPLY", identifyReply),
    TEXT("PREFIX", commandPrefix),
    NUMBER("MAXCMDLEN", eModemUnsigned, 5, maxCommandLength),
    TEXT("INIT", init),
    TEXT("INIT2", init2),
    TEXT("CMD146", commandA),
    TEXT("CMD148", commandB),
    TEXT("CMD144", commandC),
    TEXT("CMD145", commandD),
    TEXT("CMD113", fullCommandA),
    TEXT("HANGUP", hangUp),
    TEXT("CMD115", fullCommandB),
    TEXT("CMD138", shortCommandA),
    TEXT("CMD140", shortCommandB),
    TEXT("CMD139", shortCommandC),
    TEXT("SPK_ON", speakerOn),
    TEXT("SPK_OFF", speakerOff),
    TEXT("SPK_CONN", speakerUntilConnect),
    TEXT("VOL_LOW", volumeLow),
    TEXT("VOL_MEDIUM", volumeMedium),
    TEXT("VOL_HIGH", volumeHigh),
    TEXT("DIAL_TONE", dialTone),
    TEXT("DIAL_PULSE", dialPulse),
    TEXT("SPD_SLOW", speedSlow),
    TEXT("SPD_NORMAL", speedNormal),
    TEXT("SPD_FAST", speedFast),
    TEXT("CP_NONE", progressNone),
    TEXT("CP_DIALTON", progressDialTone),
    TEXT("CP_BUSY", progressBusy),
    TEXT("CP_ALL", progressAll),
    REPLY("R_OK", 0),
    REPLY("R_CONNECT", 1),
    REPLY("R_NOCARR", 2),
    REPLY("R_ERROR", 3),
    REPLY("R_NODIALT", 4),
    REPLY("R_BUSY", 5),
    REPLY("R_NOANSWER", 6),
    REPLY("R_FAIL1", 7),
    REPLY("R_FAIL2", 8),
    TEXT("WATCHED", watchedReply),
    NUMBER("HARDFLOW", eModemFlag, 1, hardwareHandshake),
    NUMBER("N148", eModemUnsigned, 10, number148),
    NUMBER("N160", eModemSigned, 11, number160),
    NUMBER("N162", eModemUnsigned, 5, number162),
    NUMBER("N178", eModemUnsigned, 10, number178),
    { "NOTES", eModemMemo, 10, 0, 0 },
};

const int kModemColumnCount = sizeof kModemColumns / sizeof kModemColumns[0];
