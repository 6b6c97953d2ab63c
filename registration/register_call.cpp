// The registration call: open the port named in the setup profile, set up
// the modem, dial, hand the connection to the transfer, hang up and show
// the host's product file. Failures before the "Registering" dialog exists
// are message boxes; after that they are its status line.
#include "registration_record.h"
#include "register_sheet.h"
#include "progress_dialog.h"
#include "registration_ids.h"
#include "modem_link.h"
#include "resource.h"
#include <shellapi.h>
#include <qvcmmn32_calls.h>
#include <qvcomm32_calls.h>
#include <qvstp32_calls.h>
#include <cstdio>

namespace {

// The fastest speed the profile's bit set names; 2400 when none.
long PortSpeed(unsigned long speeds)
{
    static const struct { unsigned bit; long speed; } kSpeeds[] = {
        {0x800, 57600}, {0x400, 38400}, {0x200, 19200}, {0x100, 14400}, {0x40, 9600}, {0x10, 4800},
    };
    for (const auto& s : kSpeeds)
        if (speeds & 0xFFFF & s.bit)
            return s.speed;
    return 2400;
}

// The fixed setup tried when the profile's initialisation is not answered.
const char kFallbackInit[] = "&F&C1&D2E1V1";

}  // namespace

void RegistrationRecord::ShowCallError(UINT stringId)
{
    CString text, caption;
    text.LoadString(stringId);
    caption.LoadString(IDS_REGISTER_ERROR);
    ::MessageBoxA(m_pOwner ? m_pOwner->m_hWnd : nullptr, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

// Opens the port into m_pPort and sets it up. 0 when it is ready, else the
// result to return (the message has been shown).
int RegistrationRecord::OpenPort()
{
    char portName[MAX_PATH];
    unsigned long speeds;
    {
        CQSetupProfile profile(0);
        profile.GetProfile(eLS_PortName, portName, sizeof portName, eDefaultsNone);
        speeds = profile.GetProfile(eN_SerialSpeeds, eDefaultsNone);
    }
    if (lstrcmpiA(portName, "COM0") == 0) {
        ShowCallError(IDS_REG_NO_PORT);
        return RegisterNotDone;
    }
    m_pPort = new (std::nothrow) GFSerial(eCommSerial, portName, nullptr, eProductKestrix,
                                          eAppWizard, 2048, 2048, 0, nullptr);
    if (!m_pPort) {
        ShowCallError(IDS_REG_NO_MODEM);
        return RegisterFailed;
    }
    unsigned short detail = 0;
    int error = m_pPort->GetCommError(detail);
    if (error == 0) {
        char handshake[] = "hard";
        m_pPort->SetHandShake(handshake);
        error = m_pPort->GetCommError(detail);
    }
    if (error == 0) {
        m_pPort->SetUp(PortSpeed(speeds), 'N', 8, 1);
        error = m_pPort->GetCommError(detail);
    }
    if (error != 0) {
        ShowCallError(error == eCommPortInUse ? IDS_REG_PORT_IN_USE : IDS_REG_MODEM_ERROR);
        return RegisterFailed;
    }
    return 0;
}

// From the modem's set-up to the hang-up, with the dialog showing.
int RegistrationRecord::DialAndTransfer(const char* dialString)
{
    m_pProgress->SetStatus(IDS_REG_INITIALIZING);
    if (!m_pLink->SendInitString(eLS_ModemInit) &&
        m_pLink->SendStrings(ModemFlags::WaitResult | ModemFlags::Prefix | ModemFlags::Terminate | ModemFlags::FlushReceive | ModemFlags::FlushTransmit, 4000,
                             kFallbackInit, nullptr) != ModemResult::Ok) {
        m_pProgress->SetStatus(IDS_REG_MODEM_SILENT);
        return RegisterFailed;
    }
    CString format;
    format.LoadString(IDS_REG_DIALING);
    char status[160];
    std::snprintf(status, sizeof status, format, dialString);
    m_pProgress->SetStatusText(status);

    char number[64];
    lstrcpynA(number, dialString, sizeof number);
    if (m_pLink->Dial(ModemFlags::Pump, number, 48) != ModemResult::Ok) {
        m_pProgress->SetStatus(IDS_REG_MODEM_ERROR);
        return RegisterFailed;
    }

    // Initialisation and dialling run to their end; from here on Cancel
    // stops the call.
    unsigned long limit;
    {
        CQSetupProfile profile(0);
        limit = profile.GetProfile(eN_ConnectWait, eDefaultsNone);
    }
    int callResult;
    do {
        if (m_pProgress->StopRequested())
            break;
        callResult = m_pLink->WaitForCallResult(ModemFlags::Poll | ModemFlags::Pump, limit, 1);
    } while (callResult == ModemResult::Pending);

    int result = RegisterFailed;
    if (m_pProgress->StopRequested()) {
        result = RegisterNotDone;
    } else {
        switch (callResult) {
        case ModemResult::Connect: result = RunTransfer(); break;
        case ModemResult::NoDialTone: m_pProgress->SetStatus(IDS_REG_NO_DIAL_TONE); break;
        case ModemResult::Busy: m_pProgress->SetStatus(IDS_REG_BUSY); break;
        case ModemResult::NoAnswer: m_pProgress->SetStatus(IDS_REG_NO_ANSWER); break;
        default: m_pProgress->SetStatus(IDS_REG_NO_CONNECT); break;
        }
    }
    m_pProgress->SetFinished();
    m_pLink->HangUp();
    if (result == Registered)
        ShowProductInfo();
    return result;
}

int RegistrationRecord::Register(const char* dialString)
{
    if (IsRegistered()) {
        CString question, caption;
        question.LoadString(IDS_REG_AGAIN);
        caption.LoadString(IDS_REG_WARNING);
        if (::MessageBoxA(m_pOwner ? m_pOwner->m_hWnd : nullptr, question, caption,
                          MB_YESNO | MB_ICONSTOP) == IDNO)
            return RegisterNotDone;
    }
    ComputeDataLength();

    int result = OpenPort();
    if (result == 0) {
        m_pLink = new (std::nothrow) ModemLink(m_pPort, 0);
        if (!m_pLink) {
            ShowCallError(IDS_REG_MODEM_ERROR);
            result = RegisterFailed;
        } else {
            m_pProgress = new RegisterProgressDialog(m_pOwner);
            result = DialAndTransfer(dialString);
        }
    }
    EndCall();
    return result;
}

// Every end of a call comes here: the user reads the last status and
// presses "&OK" (unless Cancel already closed it), then the dialog, the
// link and the port go.
void RegistrationRecord::EndCall()
{
    if (m_pProgress) {
        if (!m_pProgress->StopRequested())
            WaitForClose();
        delete m_pProgress;
        m_pProgress = nullptr;
    }
    delete m_pLink;
    m_pLink = nullptr;
    if (m_pPort) {
        m_pPort->Close();
        delete m_pPort;
        m_pPort = nullptr;
    }
}

// Waits for "&OK" without spinning: the thread sleeps until a message comes.
void RegistrationRecord::WaitForClose()
{
    m_pProgress->SetFinished();
    MSG message;
    while (!m_pProgress->StopRequested()) {
        if (!::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::WaitMessage();
            continue;
        }
        if (!::IsDialogMessageA(m_pProgress->m_hWnd, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
}

void RegistrationRecord::ShowProductInfo()
{
    char directory[MAX_PATH], path[MAX_PATH], quoted[MAX_PATH + 2];
    CString name;
    name.LoadString(IDS_REG_INFO_FILE);
    {
        CQSetupProfile profile(0);
        lstrcpynA(directory, profile.GetProfile(eLS_SuiteDir, nullptr, 0, eDefaultsNone),
                  sizeof directory);
    }
    MakePath(path, directory, name);
    std::snprintf(quoted, sizeof quoted, "\"%s\"", path);
    if (RunProgram(nullptr, "WRITE", quoted, 1) == 0 || RunProgram(nullptr, "WORDPAD", quoted, 1) == 0)
        return;
    ::ShellExecuteA(m_pOwner ? m_pOwner->m_hWnd : nullptr, "open", quoted, nullptr, nullptr, SW_SHOW);
}

DWORD RunProgram(HANDLE* process, const char* program, const char* arguments, int)
{
    if (!program)
        return 123;
    char commandLine[2 * MAX_PATH];
    std::snprintf(commandLine, sizeof commandLine, "%s %s", program, arguments ? arguments : "");
    SECURITY_ATTRIBUTES processAttributes = {sizeof processAttributes, nullptr, FALSE};
    SECURITY_ATTRIBUTES threadAttributes = {sizeof threadAttributes, nullptr, FALSE};
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.wShowWindow = SW_SHOWDEFAULT;
    startup.dwXCountChars = 80;
    startup.dwYCountChars = 25;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessA(nullptr, commandLine, &processAttributes, &threadAttributes, FALSE,
                          NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &info)) {
        if (process)
            *process = nullptr;
        return ::GetLastError();
    }
    ::WaitForInputIdle(info.hProcess, 5000);
    ::CloseHandle(info.hThread);
    if (process)
        *process = info.hProcess;
    else
        ::CloseHandle(info.hProcess);
    return 0;
}
