// REGISTER.DAT against a model of a disk: what a crash keeps (renames at
// once, contents only once flushed), files another program holds, a system
// without a one-step replace, and two wizards saving at once.
#include "record_store.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

namespace {

struct Crash {};

class ModelDisk : public RecordDisk {
public:
    struct File { std::string data, durable; unsigned long long stamp = 0; };
    std::map<std::string, File> files;
    int busyReads = 0;       // reads of REGISTER.DAT that find it held, then it is free
    bool held = false;       // held the whole time: read, replaced and removed by no one
    bool oneStepReplace = true;
    int failingRenames = 0;  // renames that fail before they work again
    int crashAt = 0;         // the change that never happens: the machine stops before it
    std::function<void(const char*)> beforeChange;

    // What a restart finds.
    void PowerLoss()
    {
        for (auto& f : files)
            f.second.data = f.second.durable;
        handles.clear();
    }
    void Put(const char* name, const RecordImage& image, unsigned long long stamp = 0)
    {
        unsigned char bytes[kRecordFileSize];
        EncodeRecordFile(image, bytes);
        File& f = files[name];
        f.data = f.durable = std::string((char*)bytes, sizeof bytes);
        f.stamp = stamp;
    }
    bool HoldsRecord(const char* name, const RecordImage& image)
    {
        RecordImage got;
        return ReadRecord(*this, name, &got) == Ok && !memcmp(&got, &image, sizeof got);
    }

    Status Read(const char* name, std::vector<unsigned char>* bytes, size_t max) override
    {
        if (!strcmp(name, kRecordFileName) && (held || (busyReads > 0 && busyReads--)))
            return Busy;
        auto f = files.find(name);
        if (f == files.end())
            return Missing;
        bytes->assign(f->second.data.begin(), f->second.data.begin() + std::min(max, f->second.data.size()));
        return Ok;
    }
    Status Create(const char* name, int* handle) override
    {
        Change("create");
        if (files.count(name))
            return Exists;
        files[name].stamp = ++clock;
        *handle = ++lastHandle;
        handles[*handle] = name;
        return Ok;
    }
    bool Write(int handle, const unsigned char* bytes, size_t size) override
    {
        Change("write");
        File& f = files[handles.at(handle)];
        f.data.append((const char*)bytes, size);
        f.stamp = ++clock;
        return true;
    }
    bool Flush(int handle) override
    {
        Change("flush");
        File& f = files[handles.at(handle)];
        f.durable = f.data;
        return true;
    }
    void Close(int handle) override { handles.erase(handle); }
    Status Replace(const char* from, const char* to) override
    {
        if (!oneStepReplace)
            return Unsupported;
        Change("replace");
        return !(held && !strcmp(to, kRecordFileName)) && Move(from, to) ? Ok : Failed;
    }
    bool Rename(const char* from, const char* to) override
    {
        Change("rename");
        if (failingRenames > 0 && failingRenames--)
            return false;
        return !files.count(to) && Move(from, to);
    }
    bool Remove(const char* name) override
    {
        Change("remove");
        if (held && !strcmp(name, kRecordFileName))
            return false;
        return files.erase(name) > 0;
    }
    std::vector<Entry> List(const char*) override
    {
        std::vector<Entry> entries;
        for (auto& f : files)
            if (f.first != kRecordFileName)
                entries.push_back({f.first, f.second.stamp});
        return entries;
    }
    void Pause(unsigned) override {}
    unsigned long long Now() override { return clock; }
    unsigned Seed() override { return 7; }  // two wizards may start alike

    int changes = 0;
    unsigned long long clock = 0;

private:
    bool Move(const char* from, const char* to)
    {
        if (!files.count(from))
            return false;
        files[to] = files[from];
        files.erase(from);
        return true;
    }
    void Change(const char* what)
    {
        if (beforeChange)
            beforeChange(what);
        if (++changes == crashAt)
            throw Crash();
    }
    std::map<int, std::string> handles;
    int lastHandle = 0;
};

RecordImage Record(const char* name, int registered)
{
    RecordImage image = {};
    SetRecordField(&image, 0, name);
    image.registered = registered;
    return image;
}

// A disk holding the record "Old".
ModelDisk OldRecordOn(bool oneStepReplace, int registered)
{
    ModelDisk disk;
    disk.oneStepReplace = oneStepReplace;
    disk.Put(kRecordFileName, Record("Old", registered));
    return disk;
}

}  // namespace

TEST(RecordStore, AFileHeldByAnotherProgramIsNeverReplacedByAFreshRecord)
{
    struct Case {
        const char* what; int busyReads; bool heldThroughout; int registersNow;
        RecordStore::Outcome load; bool saved; const char* onDisk;
    };
    const Case cases[] = {
        {"held for a moment", 3, false, 0, RecordStore::Loaded, true, "New"},
        {"held for the whole run", 0, true, 0, RecordStore::Held, false, "Old"},
        {"held while loading only", 1000, false, 0, RecordStore::Held, false, "Old"},
        {"held while loading, registered in this run", 1000, false, 1, RecordStore::Held, true, "New"},
    };
    for (const Case& c : cases) {
        ModelDisk disk = OldRecordOn(true, 1);
        disk.busyReads = c.busyReads;
        disk.held = c.heldThroughout;
        RecordStore store;
        RecordImage image = Record("Profile", 0);
        EXPECT_EQ(store.Load(disk, &image), c.load) << c.what;
        if (c.load == RecordStore::Loaded)
            EXPECT_TRUE(image.registered) << c.what;
        disk.busyReads = 0;
        image = Record("New", c.registersNow || image.registered);
        EXPECT_EQ(store.Save(disk, image), c.saved) << c.what;
        disk.held = false;
        RecordImage after;
        ASSERT_EQ(ReadRecord(disk, kRecordFileName, &after), RecordDisk::Ok) << c.what;
        EXPECT_STREQ(after.fields[0], c.onDisk) << c.what;
        EXPECT_EQ(after.registered, 1) << c.what << ": the registered flag was lost";
    }
}

// The machine stops before each change a save makes in turn; what the next
// run loads is the old record or the new one, whole, and never unregistered.
TEST(RecordStore, ACrashAtAnyPointOfASaveLeavesTheOldOrTheNewRecord)
{
    for (bool oneStep : {true, false}) {
        for (int crashAt = 1;; crashAt++) {
            ModelDisk disk = OldRecordOn(oneStep, 1);
            RecordStore store;
            RecordImage image;
            ASSERT_EQ(store.Load(disk, &image), RecordStore::Loaded);
            SetRecordField(&image, 0, "New");
            disk.crashAt = crashAt;
            bool finished = false;
            try {
                finished = store.Save(disk, image);
            } catch (Crash&) {
            }
            disk.PowerLoss();
            disk.crashAt = 0;
            std::string at = (oneStep ? "replace, crash " : "no replace, crash ") + std::to_string(crashAt);
            RecordStore next;
            RecordImage loaded = {};
            ASSERT_EQ(next.Load(disk, &loaded), RecordStore::Loaded) << at;
            EXPECT_TRUE(!strcmp(loaded.fields[0], "New") || (!finished && !strcmp(loaded.fields[0], "Old"))) << at;
            EXPECT_EQ(loaded.registered, 1) << at;
            // The next save tidies up what the crash left.
            ASSERT_TRUE(next.Save(disk, loaded)) << at;
            EXPECT_TRUE(disk.HoldsRecord(kRecordFileName, loaded)) << at;
            if (finished)
                break;
        }
    }
}

TEST(RecordStore, TwoWizardsSavingAtOnceBothSucceedAndLeaveOneWholeRecord)
{
    for (bool oneStep : {true, false}) {
        for (const char* moment : {"write", "flush", "replace", "remove", "rename"}) {
            ModelDisk disk = OldRecordOn(oneStep, 0);
            RecordStore first, second;
            RecordImage a = Record("First", 0), b = Record("Second", 0);
            bool secondSaved = false, ran = false;
            disk.beforeChange = [&](const char* what) {
                if (ran || strcmp(what, moment))
                    return;
                ran = true;
                secondSaved = second.Save(disk, b);
            };
            bool firstSaved = first.Save(disk, a);
            std::string at = std::string(oneStep ? "replace" : "no replace") + ", second saves before " + moment;
            if (!ran)
                continue;
            EXPECT_TRUE(firstSaved) << at;
            EXPECT_TRUE(secondSaved) << at;
            EXPECT_TRUE(disk.HoldsRecord(kRecordFileName, a)) << at << ": the first saved last";
            EXPECT_EQ(disk.files.size(), 1u) << at << ": a new file left behind";
        }
    }
}

TEST(RecordStore, ARecordLeftInANewFileIsTakenWhenTheFileIsGone)
{
    ModelDisk disk;
    disk.Put("REG00001.NEW", Record("Older", 1), 1);
    disk.Put("REGISTER.NEW", Record("Newest", 1), 2);
    disk.Put("REGISTER.TMP", Record("Stranger", 0), 3);
    disk.files["REG00002.NEW"].stamp = 4;  // torn: empty
    RecordStore store;
    RecordImage image = {};
    EXPECT_EQ(store.Load(disk, &image), RecordStore::Loaded);
    EXPECT_STREQ(image.fields[0], "Newest");
    ASSERT_TRUE(store.Save(disk, image));
    EXPECT_FALSE(disk.files.count("REGISTER.NEW")) << "the recovered file is gone once saved";
    EXPECT_TRUE(IsNewRecordName("REG0A1F2.NEW") && !IsNewRecordName("REG0a1f2.NEW") && !IsNewRecordName("REGISTER.DAT"));
}

// Windows 95: the old file is removed before the new one is renamed. When
// the renames keep failing, the new file is the only copy of the record and
// stays for the next load; the save after it puts it in place.
TEST(RecordStore, RenamesFailingForAWhileNeverLoseTheNewestRecord)
{
    for (int failing : {1, 3, 10}) {
        ModelDisk disk = OldRecordOn(false, 1);
        disk.failingRenames = failing;
        RecordStore store;
        RecordImage image;
        ASSERT_EQ(store.Load(disk, &image), RecordStore::Loaded);
        SetRecordField(&image, 0, "New");
        EXPECT_EQ(store.Save(disk, image), failing < 3) << failing << " failing renames";
        RecordStore next;
        RecordImage loaded = {};
        ASSERT_EQ(next.Load(disk, &loaded), RecordStore::Loaded) << failing;
        EXPECT_STREQ(loaded.fields[0], "New") << failing;
        disk.failingRenames = 0;
        ASSERT_TRUE(next.Save(disk, loaded)) << failing;
        EXPECT_TRUE(disk.HoldsRecord(kRecordFileName, image) && disk.files.size() == 1) << failing;
    }
}

// New files a crash left while REGISTER.DAT stayed whole are removed by the
// next load once no save could still be writing them; younger ones stay.
TEST(RecordStore, NewFilesLeftBehindByACrashAreRemovedWhenOld)
{
    const unsigned long long kHour = 36000000000ull;  // in the 100-ns units of file times
    ModelDisk disk = OldRecordOn(true, 1);
    disk.clock = 30 * 24 * kHour;
    disk.Put("REG00001.NEW", Record("Crashed", 0), disk.clock - 25 * kHour);
    disk.Put("REGISTER.NEW", Record("Older", 0), 1);
    disk.Put("REG00002.NEW", Record("Saving", 0), disk.clock - kHour);
    disk.Put("REGISTER.TMP", Record("Stranger", 0), 1);
    RecordStore store;
    RecordImage image;
    ASSERT_EQ(store.Load(disk, &image), RecordStore::Loaded);
    EXPECT_STREQ(image.fields[0], "Old");
    EXPECT_FALSE(disk.files.count("REG00001.NEW") || disk.files.count("REGISTER.NEW"));
    EXPECT_TRUE(disk.files.count("REG00002.NEW") && disk.files.count("REGISTER.TMP"));
}
