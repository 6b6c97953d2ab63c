// RegistrationRecord: everything the registration wizard collects (32
// numbered text fields and the registered flag, kept in REGISTER.DAT), the
// counters of a running transfer and the objects of a running call. The
// registration sheet owns it; it is saved whenever it is destroyed.
#ifndef QVWIZ_REGISTRATION_RECORD_H
#define QVWIZ_REGISTRATION_RECORD_H

#include <windows.h>
#include "record_store.h"

class RegisterWizardSheet;
class RegisterProgressDialog;
class GFSerial;
class ModemLink;

// Results of Register: 0 registered without the product file, 1 registered
// and the file opened, 2 failed, 3 not done (declined, no port, Cancel).
enum RegisterResult { RegisteredNoFile = 0, Registered = 1, RegisterFailed = 2, RegisterNotDone = 3 };

class RegistrationRecord {
public:
    // Loads REGISTER.DAT, or fills the record from the setup profile.
    explicit RegistrationRecord(RegisterWizardSheet* owner);
    // Saves REGISTER.DAT whatever happened.
    ~RegistrationRecord();

    // Texts are cut to 59 characters; null changes nothing.
    void SetField(UINT index, const char* text);
    char* GetField(UINT index) { return m_stored.fields[index]; }
    BOOL IsRegistered() const { return m_stored.registered != 0; }

    BOOL LoadFile();
    BOOL SaveFile();
    int ComputeDataLength();
    static const char* GetOsName();
    static const char* GetCpuName() { return "CPU:???"; }

    // The call (register_call.cpp).
    int Register(const char* dialString);
    void ShowCallError(UINT stringId);
    void WaitForClose();
    void ShowProductInfo();

    // The transfer with the host once the modem has connected
    // (register_transfer.cpp). RunTransfer gives a RegisterResult.
    int RunTransfer();
    void SendInfo();
    void SendData();
    void SendField(const char* text, BOOL first);
    // 1 complete, 2 the file cannot be created, 0 timed out, 3 cancelled.
    int ReceiveInfoFile();
    void AbortTransfer();

private:
    void FillFromProfile();
    void FillProductFields();
    void BuildDirectory(char* directory);
    int OpenPort();
    int DialAndTransfer(const char* dialString);
    void EndCall();
    void ShowPercent(long done);
    int FinishWithFile();

    int m_dataLength = 0;
    int m_announcedSize = 0;
    int m_transferTotal = 0;
    int m_transferDone = 0;
    RegisterWizardSheet* m_pOwner;
    RecordImage m_stored;
    RecordStore m_store;
    GFSerial* m_pPort = nullptr;
    ModemLink* m_pLink = nullptr;
    RegisterProgressDialog* m_pProgress = nullptr;
};

// Starts "program arguments" and waits up to 5 s for it to be ready for
// input. 0, and *process set when asked for, on success; else the system's
// error code (123 for a null program). flag is not read.
DWORD RunProgram(HANDLE* process, const char* program, const char* arguments, int flag);

#endif
