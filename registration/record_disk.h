// The folder REGISTER.DAT lives in, as the record store sees it.
#ifndef QVWIZ_RECORD_DISK_H
#define QVWIZ_RECORD_DISK_H

#include <windows.h>
#include "record_store.h"

class FolderRecordDisk : public RecordDisk {
public:
    explicit FolderRecordDisk(const char* directory);
    ~FolderRecordDisk() override;
    Status Read(const char* name, std::vector<unsigned char>* bytes, size_t max) override;
    Status Create(const char* name, int* handle) override;
    bool Write(int handle, const unsigned char* bytes, size_t size) override;
    bool Flush(int handle) override;
    void Close(int handle) override;
    Status Replace(const char* from, const char* to) override;
    bool Rename(const char* from, const char* to) override;
    bool Remove(const char* name) override;
    std::vector<Entry> List(const char* pattern) override;
    void Pause(unsigned ms) override { ::Sleep(ms); }
    unsigned long long Now() override;
    unsigned Seed() override;

private:
    std::string PathOf(const char* name) const;

    char m_directory[MAX_PATH];
    HANDLE m_open = INVALID_HANDLE_VALUE;
};

#endif
