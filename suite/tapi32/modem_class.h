// The installed modems, kept where Windows 95 keeps them: one key a modem,
// named by a four-digit number, under the modem device class of the local
// machine. The line provider reads them; the Modems control panel adds and
// removes them.
#ifndef QV_MODEM_CLASS_H
#define QV_MODEM_CLASS_H

#include <windows.h>

#define MODEM_CLASS_KEY "System\\CurrentControlSet\\Services\\Class\\Modem"

// Longest name kept from the registry; longer ones are cut, never refused.
const int kModemNameMax = 2047;
const int kMaxModems = 100;

struct InstalledModem {
    char key[8];                      // "0000".."9999"
    char name[kModemNameMax + 1];     // FriendlyName, else DriverDesc; may be empty
    char port[16];                    // AttachedTo ("COM2"); may be empty
    char model[64];                   // DriverDesc
};

// Reads at most max modems in key order. Keys that are not four digits are
// passed over; missing values read as empty. Returns the number read; with
// no out, only counts them.
int ReadInstalledModems(InstalledModem* out, int max);

// Installs a modem of the model on the port under the lowest free number;
// its friendly name is the model's, with " #2", " #3"... when that name is
// taken. The key's number goes to keyOut (8 bytes) when given.
BOOL AddInstalledModem(const char* model, const char* port, char* keyOut);

// Removes the modem's key and what is under it.
BOOL RemoveInstalledModem(const char* key);

#endif
