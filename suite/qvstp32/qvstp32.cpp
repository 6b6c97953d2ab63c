/* QVSTP32.DLL: the store behind CQSetupProfile (qvstp32_face.cpp), the file
 * QVSETUP.INI beside this DLL. */
#include <windows.h>
#include <cstring>
#include <string>
#include <vector>

#include "profile_core.h"
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

static Kind KindOf(ProfileTextKind kind) {
    return kind == kProfileShortText ? Kind::Short : Kind::Long;
}

extern "C" {

QVProfileStore* ProfileOpen(void) {
    QVProfileStore* store = new QVProfileStore(StorePathBesideModule());
    ProfileItems items;
    store->file.Load(items);
    store->Take(items);
    return store;
}

void ProfileClose(QVProfileStore* store) {
    ProfileEndUpdate(store);
    delete store;
}

void ProfileBeginUpdate(QVProfileStore* store) { store->updating = true; }

int ProfileEndUpdate(QVProfileStore* store) {
    std::vector<Change> pending;
    pending.swap(store->pending);
    store->updating = false;
    return pending.empty() ? 1 : StoreChanges(store, ApplyAll, &pending);
}

const char* ProfileGetText(QVProfileStore* store, ProfileTextKind kind, int item, char* buffer,
                           unsigned short size) {
    const char* value = "";
    if (qvprofile::ValidItem(KindOf(kind), item))
        value = kind == kProfileShortText ? store->shortText[item] : store->longText[item];
    return CopyOut(value, buffer, size);
}

unsigned long ProfileGetNumber(QVProfileStore* store, int item) {
    return qvprofile::ValidItem(Kind::Number, item) ? store->numbers[item] : 0;
}

int ProfileSetText(QVProfileStore* store, ProfileTextKind kind, int item, const char* value) {
    return StoreChange(store, Change{KindOf(kind), item, value ? value : "", 0});
}

int ProfileSetNumber(QVProfileStore* store, int item, unsigned long value) {
    return StoreChange(store, Change{Kind::Number, item, "", static_cast<uint32_t>(value)});
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}
