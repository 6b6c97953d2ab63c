/* QVSTP32.DLL: CQSetupProfile over the store QVSETUP.INI beside this DLL. */
#define QVSTP32_BUILD
#include <windows.h>
#include <cstring>
#include <string>
#include <vector>

#include "qvstp32.h"
#include "profile_file.h"
#include "profile_text.h"

using qvprofile::Kind;
using qvprofile::ProfileItems;

namespace {

HINSTANCE g_module;

std::string StorePathBesideModule() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(g_module, path, sizeof path);
    if (n == 0 || n >= sizeof path) return "QVSETUP.INI";
    std::string dir(path, n);
    std::string::size_type slash = dir.find_last_of("\\/");
    dir.resize(slash == std::string::npos ? 0 : slash + 1);
    return dir + "QVSETUP.INI";
}

/* One write: a text for a string item, a number for a number item. */
struct Change {
    Kind kind;
    int item;
    std::string text;
    uint32_t number;

    bool ApplyTo(ProfileItems& items) const {
        return kind == Kind::Number ? items.SetNumber(item, number)
                                    : items.SetText(kind, item, text);
    }
};

bool ApplyOne(ProfileItems& items, const void* context) {
    return static_cast<const Change*>(context)->ApplyTo(items);
}

bool ApplyAll(ProfileItems& items, const void* context) {
    for (const Change& c : *static_cast<const std::vector<Change>*>(context))
        if (!c.ApplyTo(items)) return false;
    return true;
}

/* The value into the caller's buffer, cut to fit; without a buffer the
 * value's own address. */
const char* CopyOut(const char* value, char* buffer, unsigned short size) {
    if (!buffer) return value;
    if (size == 0) return buffer;
    std::size_t n = std::strlen(value);
    if (n >= size) n = size - 1u;
    std::memcpy(buffer, value, n);
    buffer[n] = '\0';
    return buffer;
}

}  // namespace

/* A string returned as a pointer must stay where it is while the object
 * lives, even when a later write through the same object reloads the items;
 * so every item has its own fixed field, as in a record. */
struct QVProfileStore {
    explicit QVProfileStore(const std::string& path) : file(path) {}

    void Take(const ProfileItems& items) {
        for (int i = 0; i <= qvprofile::kLastShort; ++i)
            Copy(shortText[i], sizeof shortText[i], items.Text(Kind::Short, i));
        for (int i = 0; i <= qvprofile::kLastLong; ++i)
            Copy(longText[i], sizeof longText[i], items.Text(Kind::Long, i));
        for (int i = 0; i <= qvprofile::kLastNumber; ++i) numbers[i] = items.Number(i);
    }

    static void Copy(char* field, std::size_t size, const std::string& value) {
        std::size_t n = value.size() < size ? value.size() : size - 1;
        std::memcpy(field, value.data(), n);
        field[n] = '\0';
    }

    /* Applies a change to the fields only, as the store would take it. */
    bool Keep(const Change& c) {
        if (!qvprofile::ValidItem(c.kind, c.item)) return false;
        if (c.kind == Kind::Short) Copy(shortText[c.item], sizeof shortText[c.item], c.text);
        else if (c.kind == Kind::Long) Copy(longText[c.item], sizeof longText[c.item], c.text);
        else numbers[c.item] = c.number;
        return true;
    }

    qvprofile::ProfileFile file;
    bool updating = false;
    std::vector<Change> pending;
    char shortText[qvprofile::kLastShort + 1][qvprofile::kShortMax + 1];
    char longText[qvprofile::kLastLong + 1][qvprofile::kLongMax + 1];
    unsigned long numbers[qvprofile::kLastNumber + 1];
};

/* Writes changes through to the store; the object then holds the store's
 * current items, including other processes' changes. */
static int StoreChanges(QVProfileStore* store, qvprofile::ProfileFile::Change apply,
                        const void* context) {
    ProfileItems items;
    if (!store->file.Update(apply, context, items)) return 0;
    store->Take(items);
    return 1;
}

static int StoreChange(QVProfileStore* store, const Change& change) {
    if (!store->updating) return StoreChanges(store, ApplyOne, &change);
    if (!store->Keep(change)) return 0;
    store->pending.push_back(change);
    return 1;
}

CQSetupProfile::CQSetupProfile(int) : store_(new QVProfileStore(StorePathBesideModule())) {
    ProfileItems items;
    store_->file.Load(items);
    store_->Take(items);
}

CQSetupProfile::~CQSetupProfile() {
    EndUpdate();
    delete store_;
}

void CQSetupProfile::BeginUpdate() { store_->updating = true; }

int CQSetupProfile::EndUpdate() {
    std::vector<Change> pending;
    pending.swap(store_->pending);
    store_->updating = false;
    return pending.empty() ? 1 : StoreChanges(store_, ApplyAll, &pending);
}

const char* CQSetupProfile::GetProfile(eSetupShortStrItems item, char* buffer,
                                       unsigned short size, eDefaults) {
    const char* value = qvprofile::ValidItem(Kind::Short, item) ? store_->shortText[item] : "";
    return CopyOut(value, buffer, size);
}

const char* CQSetupProfile::GetProfile(eSetupLongStrItems item, char* buffer,
                                       unsigned short size, eDefaults) {
    const char* value = qvprofile::ValidItem(Kind::Long, item) ? store_->longText[item] : "";
    return CopyOut(value, buffer, size);
}

unsigned long CQSetupProfile::GetProfile(eSetupNumItems item, eDefaults) {
    return qvprofile::ValidItem(Kind::Number, item) ? store_->numbers[item] : 0;
}

void CQSetupProfile::GetProfile(eSetupNumItems item, unsigned short* value, eDefaults d) {
    if (value) *value = static_cast<unsigned short>(GetProfile(item, d));
}

int CQSetupProfile::SetProfile(eSetupShortStrItems item, const char* value, int) {
    return StoreChange(store_, Change{Kind::Short, item, value ? value : "", 0});
}

int CQSetupProfile::SetProfile(eSetupLongStrItems item, const char* value, int) {
    return StoreChange(store_, Change{Kind::Long, item, value ? value : "", 0});
}

int CQSetupProfile::SetProfile(eSetupNumItems item, unsigned long value, int) {
    return StoreChange(store_, Change{Kind::Number, item, "", static_cast<uint32_t>(value)});
}

int CQSetupProfile::SetProfile(eSetupNumItems item, unsigned short value, int reserved) {
    return SetProfile(item, static_cast<unsigned long>(value), reserved);
}

int CQSetupProfile::SetProfile(eSetupNumItems item, int value, int reserved) {
    return SetProfile(item, static_cast<unsigned long>(value), reserved);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}
