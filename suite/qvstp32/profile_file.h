/* The setup profile's file on disk, shared between processes.
 *
 * Beside the store (QVSETUP.INI) live two helpers: QVSETUP.LCK, whose first
 * byte is locked while a process reads or writes the store, and QVSETUP.NEW,
 * the next version of the store while it is being written. A write takes the
 * lock, reads the store afresh, applies its one change, writes the whole
 * result to QVSETUP.NEW, flushes it and renames it over QVSETUP.INI. So a
 * reader sees the old or the new file, never a part of one, and two
 * processes writing different items both keep their change. */
#ifndef QV_PROFILE_FILE_H
#define QV_PROFILE_FILE_H

#include <windows.h>
#include <string>
#include "profile_text.h"

namespace qvprofile {

class ProfileFile {
public:
    explicit ProfileFile(const std::string& storePath);

    /* The store's items; a missing or damaged store gives empty items. */
    void Load(ProfileItems& items) const;

    /* Applies change to the current items and stores the result, which is
     * left in items. false when the item is not one, or the store could not
     * be read (held open without sharing for longer than a moment) or
     * written; the store is then unchanged. When the result is the text the
     * store already holds, nothing is written. */
    typedef bool (*Change)(ProfileItems& items, const void* context);
    bool Update(Change change, const void* context, ProfileItems& items) const;

    const std::string& StorePath() const { return store_; }

private:
    bool ReadStore(ProfileItems& items, std::string* text) const;
    bool WriteStore(const ProfileItems& items) const;

    std::string store_, next_, lock_;
};

/* Holds the store's lock while it lives. Without a lock file (a read-only
 * folder) or when another process keeps the lock too long, Held() is false. */
class ProfileLock {
public:
    ProfileLock(const std::string& lockPath, DWORD timeoutMs);
    ~ProfileLock();
    bool Held() const { return held_; }

private:
    ProfileLock(const ProfileLock&);
    ProfileLock& operator=(const ProfileLock&);
    HANDLE file_;
    bool held_;
};

}  // namespace qvprofile

#endif
