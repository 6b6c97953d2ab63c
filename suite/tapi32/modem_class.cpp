#include "modem_class.h"
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace {

// A string value cut to fit size bytes and always terminated, empty when
// missing or not a string.
void ReadString(HKEY key, const char* name, char* out, DWORD size)
{
    out[0] = '\0';
    DWORD type = 0, needed = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &needed) != ERROR_SUCCESS ||
        type != REG_SZ || needed == 0)
        return;
    char* whole = new char[needed + 1];
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(whole), &needed) ==
        ERROR_SUCCESS) {
        whole[needed] = '\0';  // the stored text need not end in a NUL
        lstrcpynA(out, whole, static_cast<int>(size));
    }
    delete[] whole;
}

bool IsModemKeyName(const char* name)
{
    if (std::strlen(name) != 4)
        return false;
    for (int i = 0; i < 4; i++)
        if (name[i] < '0' || name[i] > '9')
            return false;
    return true;
}

BOOL SetString(HKEY key, const char* name, const char* value)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          static_cast<DWORD>(std::strlen(value) + 1)) == ERROR_SUCCESS;
}

bool NameTaken(const InstalledModem* modems, int count, const char* name)
{
    for (int i = 0; i < count; i++)
        if (lstrcmpiA(modems[i].name, name) == 0)
            return true;
    return false;
}

// Windows NT refuses to delete a key that has keys below it, and a modem's
// key may hold some (its commands and replies).
BOOL DeleteKeyTree(HKEY parent, const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        char sub[256];
        while (RegEnumKeyA(key, 0, sub, sizeof sub) == ERROR_SUCCESS)
            if (!DeleteKeyTree(key, sub))
                break;
        RegCloseKey(key);
    }
    return RegDeleteKeyA(parent, name) == ERROR_SUCCESS;
}

}  // namespace

int ReadInstalledModems(InstalledModem* out, int max)
{
    HKEY cls;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, MODEM_CLASS_KEY, 0, KEY_READ, &cls) != ERROR_SUCCESS)
        return 0;
    int count = 0;
    char sub[64];
    for (DWORD i = 0; count < max && RegEnumKeyA(cls, i, sub, sizeof sub) == ERROR_SUCCESS; i++) {
        HKEY key;
        if (!IsModemKeyName(sub) || RegOpenKeyExA(cls, sub, 0, KEY_READ, &key) != ERROR_SUCCESS)
            continue;
        if (!out) {
            count++;
            RegCloseKey(key);
            continue;
        }
        InstalledModem& m = out[count++];
        lstrcpynA(m.key, sub, sizeof m.key);
        ReadString(key, "FriendlyName", m.name, sizeof m.name);
        ReadString(key, "DriverDesc", m.model, sizeof m.model);
        if (!m.name[0])
            ReadString(key, "DriverDesc", m.name, sizeof m.name);
        ReadString(key, "AttachedTo", m.port, sizeof m.port);
        RegCloseKey(key);
    }
    RegCloseKey(cls);
    // The registry lists keys in no promised order; device numbers follow
    // the key numbers so they stay put while nothing is installed.
    for (int i = 1; out && i < count; i++)
        for (int j = i; j > 0 && std::strcmp(out[j - 1].key, out[j].key) > 0; j--) {
            InstalledModem t = out[j];
            out[j] = out[j - 1];
            out[j - 1] = t;
        }
    return count;
}

BOOL AddInstalledModem(const char* model, const char* port, char* keyOut)
{
    std::unique_ptr<InstalledModem[]> modems(new (std::nothrow) InstalledModem[kMaxModems]);
    if (!modems)
        return FALSE;
    int count = ReadInstalledModems(modems.get(), kMaxModems);
    if (count >= kMaxModems)
        return FALSE;

    char key[8];
    for (int n = 0; n < 10000; n++) {
        std::snprintf(key, sizeof key, "%04d", n);
        bool used = false;
        for (int i = 0; i < count && !used; i++)
            used = std::strcmp(modems[i].key, key) == 0;
        if (!used)
            break;
    }
    char name[kModemNameMax + 1];
    lstrcpynA(name, model, sizeof name);
    for (int n = 2; NameTaken(modems.get(), count, name); n++)
        std::snprintf(name, sizeof name, "%.2000s #%d", model, n);

    char path[128];
    std::snprintf(path, sizeof path, "%s\\%s", MODEM_CLASS_KEY, key);
    HKEY k;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) !=
        ERROR_SUCCESS)
        return FALSE;
    BOOL ok = SetString(k, "FriendlyName", name) && SetString(k, "DriverDesc", model) &&
              SetString(k, "AttachedTo", port) &&
              SetString(k, "Model", model);
    RegCloseKey(k);
    if (!ok)
        RemoveInstalledModem(key);
    else if (keyOut)
        lstrcpynA(keyOut, key, 8);
    return ok;
}

BOOL RemoveInstalledModem(const char* key)
{
    if (!IsModemKeyName(key))
        return FALSE;
    HKEY cls;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, MODEM_CLASS_KEY, 0, KEY_ALL_ACCESS, &cls) !=
        ERROR_SUCCESS)
        return FALSE;
    BOOL ok = DeleteKeyTree(cls, key);
    RegCloseKey(cls);
    return ok;
}
