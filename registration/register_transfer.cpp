// The exchange with the registration host once the modem has connected:
// the host prompts, the record answers with its product line and its 32
// fields, and the host sends the product file, stored as REGISTER.RTF.
#include "registration_record.h"
#include "progress_dialog.h"
#include "transfer_core.h"
#include "registration_ids.h"
#include "modem_link.h"
#include <qvcmmn32_calls.h>
#include <qvcomm32_calls.h>
#include <qvstp32_calls.h>
#include <cstdio>
#include <cstring>

namespace {

const DWORD kFirstPromptWait = 30000;
const DWORD kPromptWait = 5000;
const DWORD kSizeLineWait = 2000;
const DWORD kChunkWait = 2000;
const DWORD kWholeFileWait = 45000;
const DWORD kCancelAckWait = 40000;
// Between two polls of a prompt wait that found nothing: the port ends the
// sleep when a byte is there (or, on a port that cannot tell, looks again
// within milliseconds), so this only bounds it.
const DWORD kPromptPollBlock = 50;

class LFileSink : public FileSink {
public:
    explicit LFileSink(HFILE file) : m_file(file) {}
    bool WriteByte(char c) override { return ::_lwrite(m_file, &c, 1) == 1; }

private:
    HFILE m_file;
};

}  // namespace

void RegistrationRecord::ShowPercent(long done)
{
    m_pProgress->SetPercent(TransferPercent(done, m_transferTotal));
}

int RegistrationRecord::RunTransfer()
{
    bool first = true;
    m_pProgress->SetStatus(IDS_REG_NEGOTIATING);
    for (;;) {
        if (m_pProgress->StopRequested()) {
            AbortTransfer();
            return RegisterNotDone;
        }
        // One character at a time and without pumping, so that what
        // follows a prompt is still in the port for the next step.
        int prompt = m_pLink->WaitForStrings(ModemFlags::Poll, first ? kFirstPromptWait : kPromptWait,
                                             kHostPrompts[0], kHostPrompts[1], kHostPrompts[2],
                                             kHostPrompts[3], kHostPrompts[4], kHostPrompts[5],
                                             nullptr);
        switch (prompt) {
        case ModemResult::Pending:
            // Sleep until the host's next byte instead of polling the port
            // at full speed for up to half a minute.
            m_pLink->BlockForInput(kPromptPollBlock, false);
            continue;
        case PromptInfo:
            m_pProgress->SetStatus(IDS_REG_SENDING);
            m_transferDone = 0;
            first = false;
            SendInfo();
            continue;
        case PromptData:
            SendData();
            continue;
        case PromptFileSize: {
            char line[64];
            if (m_pLink->ReadLine(ModemFlags::LineCrLf | ModemFlags::Pump, kSizeLineWait, line, sizeof line) == ModemResult::Ok) {
                m_announcedSize = ParseAnnouncedSize(line);
                m_transferTotal = TransferTotal(m_dataLength, m_announcedSize);
            }
            continue;
        }
        case PromptOk:
            return FinishWithFile();
        case PromptError:
            m_pProgress->SetStatus(IDS_REG_HOST_ERROR);
            return RegisterFailed;
        case PromptUnknown:
            m_pProgress->SetStatus(IDS_REG_HOST_UNKNOWN);
            return RegisterFailed;
        case ModemResult::TimedOut:
            m_pProgress->SetStatus(m_pPort->Carrier() == 1 ? IDS_REG_HOST_SILENT
                                                           : IDS_REG_CONNECTION_LOST);
            return RegisterFailed;
        default:
            m_pProgress->SetStatus(IDS_REG_UNKNOWN_ERROR);
            return RegisterFailed;
        }
    }
}

// The host accepted the record; the product file follows at once.
int RegistrationRecord::FinishWithFile()
{
    switch (ReceiveInfoFile()) {
    case 1:
        m_pProgress->SetStatus(IDS_REG_SUCCESS);
        m_stored.registered = 1;
        return Registered;
    case 2:
        m_pProgress->SetStatus(IDS_REG_SUCCESS);
        m_stored.registered = 1;
        return RegisteredNoFile;
    case 3:
        return RegisterNotDone;
    }
    m_pProgress->SetStatus(IDS_REG_HOST_SILENT);
    return RegisterFailed;
}

void RegistrationRecord::SendInfo()
{
    CString tag;
    tag.LoadString(IDS_REG_PRODUCT_TAG);
    m_pLink->SendString(0, ProductLine(tag).c_str(), -1);
}

void RegistrationRecord::SendData()
{
    m_pLink->SendString(0, "\r\n", -1);
    SendField(GetField(0), TRUE);
    for (UINT n = 1; n < UINT(kRecordFieldCount); n++)
        SendField(GetField(n), FALSE);
    m_pLink->SendString(0, "\r\n", -1);
}

void RegistrationRecord::SendField(const char* text, BOOL first)
{
    if (!first)
        m_pLink->SendChar(0, '\t');
    m_pLink->SendString(0, text, -1);
    m_transferDone += lstrlenA(text);
    ShowPercent(m_transferDone);
}

int RegistrationRecord::ReceiveInfoFile()
{
    DWORD deadline = ::GetTickCount() + kWholeFileWait;
    char directory[MAX_PATH], path[MAX_PATH];
    CString name;
    name.LoadString(IDS_REG_INFO_FILE);
    {
        CQSetupProfile profile(0);
        profile.GetProfile(eLS_SuiteDir, directory, sizeof directory, eDefaultsNone);
    }
    MakePath(path, directory, name);
    HFILE file = ::_lcreat(path, 0);
    if (file == HFILE_ERROR)
        return 2;

    LFileSink sink(file);
    InfoFileReceiver receiver;
    bool cancelled = false;
    while (!receiver.Complete() && LONG(::GetTickCount() - deadline) < 0) {
        // A chunk also ends with the file: its last short chunk is not
        // waited out to the chunk's time limit. What follows the end in a
        // chunk would be dropped anyway, so only the time differs.
        char chunk[32];
        const char* rest = kFileEnd + receiver.EndBytesSeen();
        int count = m_pLink->CollectUntil(ModemFlags::Pump, kChunkWait, chunk, sizeof chunk, rest);
        m_transferDone += receiver.Feed(chunk, count, sink);
        ShowPercent(m_transferDone);
        if (m_pProgress->StopRequested()) {
            cancelled = true;
            break;
        }
    }
    bool stored = ::_lclose(file) != HFILE_ERROR && !receiver.WriteFailed();
    if (receiver.Complete() && !cancelled && stored) {
        m_pProgress->SetPercent(100);
        return 1;
    }
    // A file the disk did not take whole is not the product file: the
    // registration stands, as when the file cannot be created at all.
    std::remove(path);
    if (receiver.Complete() && !cancelled)
        return 2;
    return cancelled ? 3 : 0;
}

// The host acknowledges a cancel with three 0x1A, or with ERROR, after
// which the request is repeated once.
void RegistrationRecord::AbortTransfer()
{
    m_pLink->SendString(0, kCancelSequence, -1);
    if (m_pLink->WaitForStrings(ModemFlags::Pump, kCancelAckWait, kCancelAcknowledged, kHostPrompts[PromptError],
                                nullptr) != 0)
        m_pLink->SendString(0, kCancelSequence, -1);
}
