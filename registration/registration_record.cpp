#include "registration_record.h"
#include "record_disk.h"
#include "register_sheet.h"
#include "platform.h"
#include "registration_ids.h"
#include <afx.h>
#include <qvcmmn32_calls.h>
#include <qvstp32_calls.h>
#include <cstdio>
#include <cstring>

namespace {

eSetupShortStrItems Short(int n) { return static_cast<eSetupShortStrItems>(n); }
eSetupLongStrItems Long(int n) { return static_cast<eSetupLongStrItems>(n); }

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

void RegistrationRecord::BuildDirectory(char* directory)
{
    JoinPath(eLS_SuiteDir, eLS_RegisterSubPath, directory, MAX_PATH);
}

BOOL RegistrationRecord::LoadFile()
{
    char directory[MAX_PATH];
    BuildDirectory(directory);
    FolderRecordDisk disk(directory);
    if (m_store.Load(disk, &m_stored) == RecordStore::Loaded)
        return TRUE;
    FillFromProfile();
    FillProductFields();
    return FALSE;
}

BOOL RegistrationRecord::SaveFile()
{
    char directory[MAX_PATH];
    BuildDirectory(directory);
    FolderRecordDisk disk(directory);
    return m_store.Save(disk, m_stored);
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
    return OsNameOfPlatform(QueryPlatform(&info));
}
