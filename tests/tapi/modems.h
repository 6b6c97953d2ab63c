// Installed modems for the telephony tests, written straight into the
// registry's modem class: entries the Modems applet would never write too.
#pragma once
#include <modem_class.h>
#include <string>

struct ModemEntry {
    const char* key;
    const char* name;  // FriendlyName; null leaves it out
    const char* port;  // AttachedTo; null leaves it out
};

inline void ClearModems()
{
    static InstalledModem modems[kMaxModems];
    int n = ReadInstalledModems(modems, kMaxModems);
    for (int i = 0; i < n; i++)
        RemoveInstalledModem(modems[i].key);
}

inline void InstallModem(const ModemEntry& m)
{
    std::string path = std::string(MODEM_CLASS_KEY) + "\\" + m.key;
    HKEY key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                    nullptr);
    if (m.name)
        RegSetValueExA(key, "FriendlyName", 0, REG_SZ, (const BYTE*)m.name, lstrlenA(m.name) + 1);
    if (m.port)
        RegSetValueExA(key, "AttachedTo", 0, REG_SZ, (const BYTE*)m.port, lstrlenA(m.port) + 1);
    RegCloseKey(key);
}
