/* How the store's file is read and replaced, over the file system the caller
 * brings (Win32 in the DLL, a model disk in the tests): the new version is
 * written whole to the store's next file (QVSETUP.NEW), flushed, and put in
 * the store's place in one step, or, on Windows 95, which cannot, by
 * removing the old file and renaming the new one. A whole copy of the store
 * survives every failure and every crash in between. Callers hold the
 * store's lock. Portable. */
#ifndef QV_PROFILE_STORE_H
#define QV_PROFILE_STORE_H

#include <string>

namespace qvprofile {

class StoreDisk {
public:
    enum Status { Ok, Missing, Busy, Exists, Unsupported, Failed };
    virtual ~StoreDisk() {}
    /* The whole file (its start when it is larger than any store). */
    virtual Status Read(const std::string& path, std::string* text) = 0;
    /* Creates or empties the file, writes text and flushes it. */
    virtual bool Write(const std::string& path, const std::string& text) = 0;
    /* from takes to's place in one step; Unsupported where it cannot. */
    virtual Status Replace(const std::string& from, const std::string& to) = 0;
    /* Exists when to exists. */
    virtual Status Rename(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& path) = 0;
    virtual void Pause(unsigned ms) = 0;
};

class StoreFiles {
public:
    StoreFiles(StoreDisk& disk, const std::string& store, const std::string& next)
        : disk_(disk), store_(store), next_(next) {}

    /* The store's text, "" when there is none yet. false when a store
     * exists but stays unreadable (held open without sharing for longer
     * than a moment): nothing may be built on an empty text then. */
    bool Read(std::string* text) const;

    /* Puts text in the store's place; false when it could not, and then a
     * whole copy of the store as it was (or of text) is still there. */
    bool Write(const std::string& text) const;

private:
    bool FinishInterruptedReplace() const;
    bool MoveIntoPlace() const;
    bool RemoveAndRename() const;

    StoreDisk& disk_;
    std::string store_, next_;
};

}  // namespace qvprofile

#endif
