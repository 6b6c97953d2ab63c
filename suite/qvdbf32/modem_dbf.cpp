// The modem database behind ModemDBF: MODEM.DBF, read through the dBASE engine.
#include "modem_dbf_core.h"

#include "cbase32.h"
#include "modem_columns.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

struct ModemDbfCore {
    std::string path;
    CODE4 code;
    DATA4* data = nullptr;
    std::vector<FIELD4*> fields;        // by column, null for columns the file lacks
    FIELD4* name = nullptr;
    std::vector<long> byName;           // record numbers of offsets 1.. in name order

    // The record number at an offset in an index's order, 0 for none. The
    // name order lacks records that could not be read when the file was
    // opened, so it may be shorter than the file.
    long RecordAt(long offset, ModemIndex index) const
    {
        if (index == eModemIndexRecord || offset == 0)
            return offset + 1;
        if (index == eModemIndexModelName && offset >= 1 && (size_t)offset <= byName.size())
            return byName[offset - 1];
        return 0;
    }
};

namespace {

// The field's text without the blanks dBASE pads it with.
std::string TrimmedText(FIELD4* f)
{
    const char* p = f4ptr(f);
    size_t n = f4len(f);
    while (n && (p[n - 1] == ' ' || p[n - 1] == '\0'))
        --n;
    return std::string(p, n);
}

bool SameName(const std::string& a, const char* b)
{
    size_t nb = std::strlen(b);
    while (nb && b[nb - 1] == ' ')
        --nb;
    if (a.size() != nb)
        return false;
    for (size_t i = 0; i < nb; ++i)
        if (std::toupper((unsigned char)a[i]) != std::toupper((unsigned char)b[i]))
            return false;
    return true;
}

std::string Upper(std::string s)
{
    for (char& c : s)
        c = (char)std::toupper((unsigned char)c);
    return s;
}

void Store(ModemInfoStruct* info, const ModemColumn& c, FIELD4* f)
{
    char* at = reinterpret_cast<char*>(info) + c.offset;
    switch (c.kind) {
    case eModemText: {
        std::string text = TrimmedText(f);
        size_t n = std::min(text.size(), c.size - 1);
        std::memcpy(at, text.data(), n);
        at[n] = '\0';
        break;
    }
    case eModemUnsigned: {
        unsigned long v = (unsigned long)std::strtoul(TrimmedText(f).c_str(), nullptr, 10);
        if (c.size == 2) {
            unsigned short s = (unsigned short)v;
            std::memcpy(at, &s, 2);
        } else {
            unsigned int u = (unsigned int)v;
            std::memcpy(at, &u, 4);
        }
        break;
    }
    case eModemSigned: {
        int v = (int)std::strtol(TrimmedText(f).c_str(), nullptr, 10);
        std::memcpy(at, &v, 4);
        break;
    }
    case eModemFlag: {
        unsigned short v = f4true(f) ? 1 : 0;
        std::memcpy(at, &v, 2);
        break;
    }
    case eModemMemo:
        break;
    }
}

}  // namespace

ModemDbfCore* ModemDbfCreate(const char* path)
{
    ModemDbfCore* db = new ModemDbfCore;
    db->path = path ? path : "";
    d4init(&db->code);
    db->code.errOff = 1;
    db->code.readOnly = 1;
    return db;
}

void ModemDbfFree(ModemDbfCore* db)
{
    ModemDbfClose(db);
    delete db;
}

int ModemDbfOpen(ModemDbfCore* db)
{
    ModemDbfClose(db);
    if (db->path.empty())
        return 0;
    d4init(&db->code);
    db->code.errOff = 1;
    db->code.readOnly = 1;
    db->data = d4open(&db->code, db->path.c_str());
    if (!db->data)
        return 0;
    for (int i = 0; i < kModemColumnCount; ++i) {
        int number = d4field_number(db->data, kModemColumns[i].field);
        FIELD4* f = number > 0 ? d4field_j(db->data, number) : nullptr;
        if (f && kModemColumns[i].kind == eModemText && f4type(f) != 'C')
            f = nullptr;
        db->fields.push_back(f);
    }
    db->name = d4field(db->data, MODEM_NAME_FIELD);
    if (!db->name) {
        ModemDbfClose(db);
        return 0;
    }
    // The name order is built once: the file is small and never changes
    // while it is open.
    std::vector<std::pair<std::string, long>> names;
    for (long rec = 2; rec <= d4reccount(db->data); ++rec)
        if (d4go(db->data, rec) == r4success)
            names.emplace_back(Upper(TrimmedText(db->name)), rec);
    std::stable_sort(names.begin(), names.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& n : names)
        db->byName.push_back(n.second);
    db->code.errorCode = 0;
    return 1;
}

long ModemDbfCount(ModemDbfCore* db)
{
    return db->data ? d4reccount(db->data) : 0;
}

int ModemDbfRecordAt(ModemDbfCore* db, ModemInfoStruct* info, long offset, int fill,
                     ModemIndex index)
{
    if (!db->data || offset < 0 || offset >= ModemDbfCount(db))
        return 0;
    long rec = db->RecordAt(offset, index);
    if (!rec || d4go(db->data, rec) != r4success || d4deleted(db->data))
        return 0;
    if (!fill)
        return 1;
    if (!info)
        return 0;
    std::memset(info, 0, sizeof *info);
    info->recordNumber = (unsigned int)rec;
    for (int i = 0; i < kModemColumnCount; ++i)
        if (db->fields[i])
            Store(info, kModemColumns[i], db->fields[i]);
    return 1;
}

int ModemDbfMatch(ModemDbfCore* db, ModemInfoStruct* info, ModemIndex index)
{
    if (!db->data || !info || (index != eModemIndexModelName && index != eModemIndexRecord))
        return 0;
    char wanted[sizeof info->modelName];
    std::memcpy(wanted, info->modelName, sizeof wanted);
    wanted[sizeof wanted - 1] = '\0';
    for (long offset = 1; offset < ModemDbfCount(db); ++offset) {
        long rec = db->RecordAt(offset, index);
        if (!rec || d4go(db->data, rec) != r4success || d4deleted(db->data))
            continue;
        if (SameName(TrimmedText(db->name), wanted))
            return ModemDbfRecordAt(db, info, offset, 1, index);
    }
    return 0;
}

int ModemDbfClose(ModemDbfCore* db)
{
    db->data = nullptr;
    db->name = nullptr;
    db->fields.clear();
    db->byName.clear();
    return d4init_undo(&db->code) == r4success ? 1 : 0;
}
