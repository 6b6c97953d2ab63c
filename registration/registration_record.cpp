#include "registration_record.h"
#include "register_sheet.h"
#include "platform.h"
#include "registration_ids.h"
#include <afx.h>
#include <qvcmmn32.h>
#include <qvstp32.h>
#include <cstdio>
#include <cstring>

namespace {

const char kRecordFileName[] = "REGISTER.DAT";
const char kTemporaryName[] = "REGISTER.NEW";

eSetupShortStrItems Short(int n) { return static_cast<eSetupShortStrItems>(n); }
eSetupLongStrItems Long(int n) { return static_cast<eSetupLongStrItems>(n); }

// Puts the new file in the old one's place in one step where the system
// can; Windows 95 has no MoveFileExA, there the old file goes first.
BOOL MoveOver(const char* from, const char* to)
{
    if (::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return TRUE;
    if (::GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return FALSE;
    ::DeleteFileA(to);
    return ::MoveFileA(from, to);
}

}  // namespace

RegistrationRecord::RegistrationRecord(RegisterWizardSheet* owner) : m_pOwner(owner)
{
    std::memset(&m_stored, 0, sizeof m_stored);
    LoadFile();
}

RegistrationRecord::~RegistrationRecord()
{
    SaveFile();
    EndCall();
}

void RegistrationRecord::SetField(UINT index, const char* text)
{
    SetRecordField(&m_stored, static_cast<int>(index), text);
}

void RegistrationRecord::BuildFilePath(char* path)
{
    char directory[MAX_PATH];
    JoinPath(eLS_SuiteDir, eLS_RegisterSubPath, directory, sizeof directory);
    MakePath(path, directory, kRecordFileName);
}

BOOL RegistrationRecord::LoadFile()
{
    char path[MAX_PATH];
    BuildFilePath(path);
    unsigned char bytes[kRecordFileSize];
    UINT count = 0;
    HFILE file = ::_lopen(path, OF_READ);
    if (file != HFILE_ERROR) {
        count = ::_lread(file, bytes, sizeof bytes);
        ::_lclose(file);
    }
    if (count != UINT(kRecordFileSize) || !DecodeRecordFile(bytes, count, &m_stored)) {
        FillFromProfile();
        FillProductFields();
        return FALSE;
    }
    return TRUE;
}

// Written beside the old file and moved over it, so that a crash or a full
// disk never leaves a torn REGISTER.DAT.
BOOL RegistrationRecord::SaveFile()
{
    char path[MAX_PATH], directory[MAX_PATH], temporary[MAX_PATH];
    BuildFilePath(path);
    JoinPath(eLS_SuiteDir, eLS_RegisterSubPath, directory, sizeof directory);
    MakePath(temporary, directory, kTemporaryName);

    unsigned char bytes[kRecordFileSize];
    EncodeRecordFile(m_stored, bytes);
    HFILE file = ::_lcreat(temporary, 0);
    if (file == HFILE_ERROR)
        return FALSE;
    UINT written = ::_lwrite(file, reinterpret_cast<LPCCH>(bytes), sizeof bytes);
    ::_lclose(file);
    if (written != sizeof bytes || !MoveOver(temporary, path)) {
        ::DeleteFileA(temporary);
        return FALSE;
    }
    return TRUE;
}

void RegistrationRecord::FillFromProfile()
{
    std::memset(&m_stored, 0, sizeof m_stored);
    CQSetupProfile profile(0);
    char text[128];
    profile.GetProfile(eSS_UserName, text, sizeof text, eDefaultsNone);
    if (char* space = std::strchr(text, ' ')) {
        *space = '\0';
        SetField(1, space + 1);
    }
    SetField(0, text);

    struct Item { int field; bool isLong; int item; unsigned short size; };
    static const Item kItems[] = {
        {2, false, 91, 30}, {3, true, 45, 30}, {4, true, 46, 30}, {5, false, 92, 30},
        {7, false, 94, 20}, {9, false, 90, 40}, {8, false, 95, 30},
    };
    for (const Item& item : kItems) {
        if (item.isLong)
            profile.GetProfile(Long(item.item), GetField(item.field), item.size, eDefaultsNone);
        else
            profile.GetProfile(Short(item.item), GetField(item.field), item.size, eDefaultsNone);
    }
    if (GetField(8)[0] == '\0')
        ::GetProfileStringA("intl", "sCountry", "U.S.A.", GetField(8), 30);

    profile.GetProfile(eSS_State, text, sizeof text, eDefaultsNone);
    if (std::strlen(text) <= 5)
        SetField(6, text);

    char areaCode[32], phone[200];
    profile.GetProfile(eSS_AreaCode, areaCode, sizeof areaCode, eDefaultsNone);
    profile.GetProfile(eSS_VoiceNumber, text, sizeof text, eDefaultsNone);
    std::snprintf(phone, sizeof phone, "(%s) %s", areaCode, text);
    SetField(11, phone);
    profile.GetProfile(eSS_FaxNumber, text, sizeof text, eDefaultsNone);
    std::snprintf(phone, sizeof phone, "(%s) %s", areaCode, text);
    SetField(12, phone);
}

void RegistrationRecord::FillProductFields()
{
    SetField(18, GetCpuName());
    SetField(30, GetOsName());
    {
        CQSetupProfile profile(0);
        profile.GetProfile(eLS_PortName, GetField(31), 30, eDefaultsNone);
        profile.GetProfile(eSS_ModemName, GetField(16), 60, eDefaultsNone);
    }
    SetField(15, "1.0.0");
    SetField(17, "QVCO");
    CString tag;
    tag.LoadString(IDS_REG_PRODUCT_TAG);
    SetField(14, tag);
}

int RegistrationRecord::ComputeDataLength()
{
    m_dataLength = RecordDataLength(m_stored);
    return m_dataLength;
}

const char* RegistrationRecord::GetOsName()
{
    OSVERSIONINFOA info;
    switch (QueryPlatform(&info)) {
    case 0: return "Win 3.1";
    case 1: return "Win 95";
    case 2: return "Win NT";
    case 512: return "Win 2.x";
    case 768: return "Win 3.0";
    case 784: return "Win 3.1";
    case 785: return "Win 3.11";
    case 917: return "Win 95";
    }
    return "Unknown OS";
}
