// ModemDBF: the modem database, MODEM.DBF, read through the dBASE engine.
#include "qvdbf32.h"

#include "cbase32.h"
#include "modem_columns.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

struct ModemDBFImpl {
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

ModemDBF::ModemDBF(char* path, unsigned mode) : impl_(new ModemDBFImpl)
{
    impl_->path = path ? path : "";
    d4init(&impl_->code);
    impl_->code.errOff = 1;
    impl_->code.readOnly = 1;
}

ModemDBF::~ModemDBF()
{
    Close();
    delete impl_;
}

int ModemDBF::Open()
{
    Close();
    if (impl_->path.empty())
        return 0;
    d4init(&impl_->code);
    impl_->code.errOff = 1;
    impl_->code.readOnly = 1;
    impl_->data = d4open(&impl_->code, impl_->path.c_str());
    if (!impl_->data)
        return 0;
    for (int i = 0; i < kModemColumnCount; ++i) {
        int number = d4field_number(impl_->data, kModemColumns[i].field);
        FIELD4* f = number > 0 ? d4field_j(impl_->data, number) : nullptr;
        if (f && kModemColumns[i].kind == eModemText && f4type(f) != 'C')
            f = nullptr;
        impl_->fields.push_back(f);
    }
    impl_->name = d4field(impl_->data, MODEM_NAME_FIELD);
    if (!impl_->name) {
        Close();
        return 0;
    }
    // The name order is built once: the file is small and never changes
    // while it is open.
    std::vector<std::pair<std::string, long>> names;
    for (long rec = 2; rec <= d4reccount(impl_->data); ++rec)
        if (d4go(impl_->data, rec) == r4success)
            names.emplace_back(Upper(TrimmedText(impl_->name)), rec);
    std::stable_sort(names.begin(), names.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& n : names)
        impl_->byName.push_back(n.second);
    impl_->code.errorCode = 0;
    return 1;
}

long ModemDBF::GetCount()
{
    return impl_->data ? d4reccount(impl_->data) : 0;
}

int ModemDBF::GetRecordFromOffset(ModemInfoStruct* info, long offset, int fill, ModemIndex index)
{
    if (!impl_->data || offset < 0 || offset >= GetCount())
        return 0;
    long rec = impl_->RecordAt(offset, index);
    if (!rec || d4go(impl_->data, rec) != r4success || d4deleted(impl_->data))
        return 0;
    if (!fill)
        return 1;
    if (!info)
        return 0;
    std::memset(info, 0, sizeof *info);
    info->recordNumber = (unsigned int)rec;
    for (int i = 0; i < kModemColumnCount; ++i)
        if (impl_->fields[i])
            Store(info, kModemColumns[i], impl_->fields[i]);
    return 1;
}

int ModemDBF::GetMatchedRecord(ModemInfoStruct* info, ModemIndex index)
{
    if (!impl_->data || !info || (index != eModemIndexModelName && index != eModemIndexRecord))
        return 0;
    char wanted[sizeof info->modelName];
    std::memcpy(wanted, info->modelName, sizeof wanted);
    wanted[sizeof wanted - 1] = '\0';
    for (long offset = 1; offset < GetCount(); ++offset) {
        long rec = impl_->RecordAt(offset, index);
        if (!rec || d4go(impl_->data, rec) != r4success || d4deleted(impl_->data))
            continue;
        if (SameName(TrimmedText(impl_->name), wanted))
            return GetRecordFromOffset(info, offset, 1, index);
    }
    return 0;
}

int ModemDBF::Close()
{
    impl_->data = nullptr;
    impl_->name = nullptr;
    impl_->fields.clear();
    impl_->byName.clear();
    return d4init_undo(&impl_->code) == r4success ? 1 : 0;
}
