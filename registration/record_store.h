// Keeping REGISTER.DAT safe: the record is the only place the registered
// flag lives, so a save must never put a lesser record over a better one.
// - A file another program holds for a moment is read again a little later;
//   one that stays unreadable is not replaced by a record filled from the
//   profile (unless this run registered).
// - The new record is written to a file of its own name (two wizards may
//   save at once), flushed, then put in the old one's place in one step, or,
//   where the system cannot (Windows 95), the old file is removed first and a
//   crash in between is recovered from the new file at the next load.
// A crash while a new file is written leaves it behind, unused; it is a
// whole record or ignored, and removed by a later load once it is old.
// Portable: the file system is the RecordDisk the caller brings.
#ifndef QVWIZ_RECORD_STORE_H
#define QVWIZ_RECORD_STORE_H

#include "record_file.h"
#include <string>
#include <vector>

class RecordDisk {
public:
    enum Status { Ok, Missing, Busy, Exists, Unsupported, Failed };
    struct Entry {
        std::string name;
        unsigned long long stamp;  // the last write's time, in 100-ns units (a FILETIME)
    };
    virtual ~RecordDisk() {}
    // Up to max bytes of a file of the record's folder.
    virtual Status Read(const char* name, std::vector<unsigned char>* bytes, size_t max) = 0;
    // A file that did not exist, open for writing; Exists when it did.
    virtual Status Create(const char* name, int* handle) = 0;
    virtual bool Write(int handle, const unsigned char* bytes, size_t size) = 0;
    virtual bool Flush(int handle) = 0;
    virtual void Close(int handle) = 0;
    // from takes to's place in one step; Unsupported where it cannot.
    virtual Status Replace(const char* from, const char* to) = 0;
    // Fails when to exists.
    virtual bool Rename(const char* from, const char* to) = 0;
    virtual bool Remove(const char* name) = 0;
    // The files named like the store's new files.
    virtual std::vector<Entry> List(const char* pattern) = 0;
    virtual void Pause(unsigned ms) = 0;
    // The stamp a file written now would get.
    virtual unsigned long long Now() = 0;
    // Where new file names start; differs between processes.
    virtual unsigned Seed() = 0;
};

extern const char kRecordFileName[];    // "REGISTER.DAT"
extern const char kNewRecordPattern[];  // "REG?????.NEW"

class RecordStore {
public:
    // Loaded: image holds the file. Fresh: there is no usable file, fill
    // the record afresh. Held: the file is there but could not be read;
    // fill afresh, and the file is kept unless the record gets registered.
    enum Outcome { Loaded, Fresh, Held };

    Outcome Load(RecordDisk& disk, RecordImage* image);
    bool Save(RecordDisk& disk, const RecordImage& image);

private:
    bool Recover(RecordDisk& disk, RecordImage* image);
    bool MayReplace(RecordDisk& disk, const RecordImage& image);
    void RemoveAbandonedNewFiles(RecordDisk& disk);

    Outcome m_outcome = Fresh;
    std::string m_recoveredFrom;
};

// Ok when a whole record was read; a short file counts as Missing.
RecordDisk::Status ReadRecord(RecordDisk& disk, const char* name, RecordImage* image);
// Writes the record to a file of a new name, flushed; false when it could
// not, and then nothing is left behind.
bool WriteNewRecord(RecordDisk& disk, const RecordImage& image, std::string* name);
// Puts the file name in the record file's place.
bool PutRecordInPlace(RecordDisk& disk, const std::string& name);

// Whether a name is one the store gives its new files.
bool IsNewRecordName(const std::string& name);

#endif
