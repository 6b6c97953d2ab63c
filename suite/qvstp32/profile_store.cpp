#include "profile_store.h"

namespace qvprofile {

namespace {

/* Someone outside the suite (an editor, a virus scanner) may hold a file
 * open without sharing for a moment: about a second of tries. */
const int kBusyAttempts = 50;
const unsigned kBusyPauseMs = 20;

}  // namespace

bool StoreFiles::Read(std::string* text) const {
    for (int attempt = 0; attempt < kBusyAttempts; ++attempt) {
        if (attempt) disk_.Pause(kBusyPauseMs);
        StoreDisk::Status status = disk_.Read(store_, text);
        if (status == StoreDisk::Ok) return true;
        if (status != StoreDisk::Missing) continue;
        status = disk_.Read(next_, text);
        if (status == StoreDisk::Ok) return true;
        if (status == StoreDisk::Missing) {
            text->clear();
            return true;
        }
    }
    return false;
}

/* A Windows 95 replace cut short between removing the store and renaming
 * the next file leaves that file the only copy of the store: it goes into
 * place before the next file is written again. Missing: there is no next
 * file; Exists: the store is in place and the next file a leftover. */
bool StoreFiles::FinishInterruptedReplace() const {
    for (int attempt = 0; attempt < kBusyAttempts; ++attempt) {
        if (attempt) disk_.Pause(kBusyPauseMs);
        StoreDisk::Status status = disk_.Rename(next_, store_);
        if (status == StoreDisk::Ok || status == StoreDisk::Missing || status == StoreDisk::Exists)
            return true;
        if (status != StoreDisk::Busy) return false;
    }
    return false;
}

/* Windows 95. A rename that keeps failing leaves the next file, whole, as
 * the store: readers take it, and the next write puts it in place. */
bool StoreFiles::RemoveAndRename() const {
    StoreDisk::Status status = StoreDisk::Exists;
    for (int attempt = 0; attempt < kBusyAttempts; ++attempt) {
        if (attempt) disk_.Pause(kBusyPauseMs);
        if (status == StoreDisk::Exists) disk_.Remove(store_);
        status = disk_.Rename(next_, store_);
        if (status == StoreDisk::Ok) return true;
        if (status != StoreDisk::Busy && status != StoreDisk::Exists) return false;
    }
    return false;
}

bool StoreFiles::MoveIntoPlace() const {
    for (int attempt = 0; attempt < kBusyAttempts; ++attempt) {
        if (attempt) disk_.Pause(kBusyPauseMs);
        StoreDisk::Status status = disk_.Replace(next_, store_);
        if (status == StoreDisk::Ok) return true;
        if (status == StoreDisk::Unsupported) return RemoveAndRename();
        if (status != StoreDisk::Busy) return false;
    }
    return false;
}

bool StoreFiles::Write(const std::string& text) const {
    if (!FinishInterruptedReplace()) return false;
    /* From here the store is in place (or there never was one), so the
     * next file may be emptied and, when the write fails, removed. */
    if (!disk_.Write(next_, text)) {
        disk_.Remove(next_);
        return false;
    }
    return MoveIntoPlace();
}

}  // namespace qvprofile
