#include "record_store.h"
#include <cstdio>

const char kRecordFileName[] = "REGISTER.DAT";
const char kNewRecordPattern[] = "REG?????.NEW";

namespace {

// Another program holding the file for a moment (a backup, a virus check)
// gets this long to let go before the record counts it as unreadable.
const int kBusyTries = 10;
const unsigned kBusyPauseMs = 100;
const unsigned kNameTries = 64;
// A save writes its new file, flushes it and moves it into place at once:
// seconds even on a stalled network drive. A new file a day old is no
// save's in progress but a crash's; the day also covers the hour FAT's
// local-time stamps move by at a change of daylight saving time, and a
// file server's clock that is off from ours.
const unsigned long long kAbandonedAge = 24ull * 3600 * 10000000;  // 100-ns units

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

}  // namespace

bool IsNewRecordName(const std::string& name)
{
    if (name.size() != 12 || name.compare(0, 3, "REG") || name.compare(8, 4, ".NEW"))
        return false;
    if (name == "REGISTER.NEW")  // the name every save used to share
        return true;
    for (size_t i = 3; i < 8; i++)
        if (!IsHexDigit(name[i]))
            return false;
    return true;
}

RecordDisk::Status ReadRecord(RecordDisk& disk, const char* name, RecordImage* image)
{
    std::vector<unsigned char> bytes;
    RecordDisk::Status status = disk.Read(name, &bytes, kRecordFileSize);
    if (status != RecordDisk::Ok)
        return status;
    return DecodeRecordFile(bytes.data(), bytes.size(), image) ? RecordDisk::Ok : RecordDisk::Missing;
}

RecordStore::Outcome RecordStore::Load(RecordDisk& disk, RecordImage* image)
{
    RecordDisk::Status status = RecordDisk::Busy;
    for (int i = 0; i < kBusyTries && status == RecordDisk::Busy; i++) {
        if (i)
            disk.Pause(kBusyPauseMs);
        status = ReadRecord(disk, kRecordFileName, image);
    }
    if (status == RecordDisk::Ok) {
        m_outcome = Loaded;
        RemoveAbandonedNewFiles(disk);
    }
    else if (status == RecordDisk::Missing)
        m_outcome = Recover(disk, image) ? Loaded : Fresh;
    else
        m_outcome = Held;
    return m_outcome;
}

// A save cut short between removing the old file and moving the new one in
// leaves only the new one: the newest whole one is the record. It stays
// where it is until this record's own save has taken its place (another
// wizard may be about to move it in itself).
bool RecordStore::Recover(RecordDisk& disk, RecordImage* image)
{
    std::string best;
    unsigned long long bestStamp = 0;
    for (const RecordDisk::Entry& entry : disk.List(kNewRecordPattern)) {
        RecordImage candidate;
        if (!IsNewRecordName(entry.name) || (!best.empty() && entry.stamp <= bestStamp) ||
            ReadRecord(disk, entry.name.c_str(), &candidate) != RecordDisk::Ok)
            continue;
        best = entry.name;
        bestStamp = entry.stamp;
        *image = candidate;
    }
    m_recoveredFrom = best;
    return !best.empty();
}

// While REGISTER.DAT is whole, a new file is never read: one old enough was
// left by a crash before it could take the file's place.
void RecordStore::RemoveAbandonedNewFiles(RecordDisk& disk)
{
    unsigned long long now = disk.Now();
    for (const RecordDisk::Entry& entry : disk.List(kNewRecordPattern))
        if (IsNewRecordName(entry.name) && entry.stamp < now && now - entry.stamp > kAbandonedAge)
            disk.Remove(entry.name.c_str());
}

// A record filled afresh because the file could not be read must not
// replace the file, which may hold answers and the registered flag; once
// this run has registered, the record is worth more than whatever is there.
bool RecordStore::MayReplace(RecordDisk& disk, const RecordImage& image)
{
    if (m_outcome != Held || image.registered)
        return true;
    RecordImage onDisk;
    return ReadRecord(disk, kRecordFileName, &onDisk) == RecordDisk::Missing;
}

bool WriteNewRecord(RecordDisk& disk, const RecordImage& image, std::string* name)
{
    unsigned char bytes[kRecordFileSize];
    EncodeRecordFile(image, bytes);
    unsigned seed = disk.Seed();
    for (unsigned i = 0; i < kNameTries; i++) {
        char candidate[16];
        std::snprintf(candidate, sizeof candidate, "REG%05X.NEW", (seed + i) & 0xFFFFF);
        int handle;
        RecordDisk::Status status = disk.Create(candidate, &handle);
        if (status == RecordDisk::Exists)
            continue;
        if (status != RecordDisk::Ok)
            return false;
        // Flushed before it takes the old file's place: a crash after the
        // move must find the new bytes, not an empty file.
        bool written = disk.Write(handle, bytes, sizeof bytes) && disk.Flush(handle);
        disk.Close(handle);
        if (!written) {
            disk.Remove(candidate);
            return false;
        }
        *name = candidate;
        return true;
    }
    return false;
}

bool PutRecordInPlace(RecordDisk& disk, const std::string& name)
{
    RecordDisk::Status status = disk.Replace(name.c_str(), kRecordFileName);
    if (status == RecordDisk::Unsupported) {
        // Another wizard may put its file there between the two steps.
        for (int i = 0; i < 3 && status != RecordDisk::Ok; i++) {
            disk.Remove(kRecordFileName);
            status = disk.Rename(name.c_str(), kRecordFileName) ? RecordDisk::Ok : RecordDisk::Failed;
        }
    }
    return status == RecordDisk::Ok;
}

bool RecordStore::Save(RecordDisk& disk, const RecordImage& image)
{
    std::string name;
    if (!MayReplace(disk, image) || !WriteNewRecord(disk, image, &name))
        return false;
    if (!PutRecordInPlace(disk, name)) {
        // Where the old file was removed and the rename never followed
        // (Windows 95), the new file is the only copy; the next load takes it.
        RecordImage onDisk;
        if (ReadRecord(disk, kRecordFileName, &onDisk) != RecordDisk::Missing)
            disk.Remove(name.c_str());
        return false;
    }
    if (!m_recoveredFrom.empty())
        disk.Remove(m_recoveredFrom.c_str());
    m_recoveredFrom.clear();
    m_outcome = Loaded;
    return true;
}
