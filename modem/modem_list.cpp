#include "modem_list.h"

#include <stdio.h>
#include <string.h>

#include <qvcmmn32_calls.h>
#include <qvcomm32_calls.h>

#include <vector>

#include "modem_ident.h"
#include "modem_link.h"

namespace {

const eSetupShortStrItems kModemDbfItem = eSS_ModemDbf;
const unsigned long kProbeGapMs = 150;
const unsigned long kReplyWaitMs = 3000;
const int kAnswerSize = 64;

void CopyText(char* out, size_t size, const char* text)
{
    snprintf(out, size, "%s", text);
}

}  // namespace

ModemList::ModemList()
{
    m_text[0] = '\0';
}

ModemList::~ModemList() {}

int ModemList::AddIdentCommand(const char* command, BOOL makeDefault)
{
    if (!command || !command[0])
        return m_defaultCommand;
    for (int i = 0; i < m_commands.GetSize(); ++i) {
        if (strcmp(m_commands[i], command) == 0)
            return i;
    }
    int index = m_commands.Add(command);
    if (makeDefault)
        m_defaultCommand = index;
    return index;
}

int ModemList::LoadModems()
{
    MakeDBFPath(kModemDbfItem, m_text);
    ModemDBF database(m_text, 1);
    if (database.Open() != 1)
        return 0;
    AddIdentCommand("AT+FMFR?", FALSE);
    AddIdentCommand("ATI3", TRUE);
    long count = database.GetCount();
    for (long offset = 1; offset < count; ++offset) {
        ModemInfoStruct record;
        memset(&record, 0, sizeof record);
        if (database.GetRecordFromOffset(&record, offset, 1, eModemIndexModelName) != 1)
            continue;
        ModemListItem* item = new ModemListItem;
        memset(item, 0, sizeof *item);
        CopyText(item->modelName, sizeof item->modelName, record.modelName);
        CopyText(item->manufacturerReply, sizeof item->manufacturerReply, record.manufacturerReply);
        CopyText(item->identifyReply, sizeof item->identifyReply, record.identifyReply);
        /* The model's own command, or the default one when it has none. */
        char command[32] = "";
        if (record.identifyCommand[0]) {
            CopyText(command, sizeof command, record.commandPrefix);
            strncat(command, record.identifyCommand, sizeof command - strlen(command) - 1);
        }
        item->commandIndex = AddIdentCommand(command, FALSE);
        int entry = AddString(item->modelName);
        SetItemData(entry, reinterpret_cast<DWORD_PTR>(item));
    }
    SetCurSel(0);
    database.Close();
    m_loaded = 1;
    return 1;
}

int ModemList::ProbePort(const char* port, CStringArray& names)
{
    GFSerial* serial = new GFSerial(eCommSerial, port, NULL, eProductKestrix, eAppWizard, 1024,
                                    1024, 0, NULL);
    unsigned short detail = 0;
    int result = -1;
    if (serial->GetCommError(detail) == eCommOk) {
        ModemLink* link = new ModemLink(serial, 0);
        result = Identify(*link, names);
        delete link;
    }
    serial->Close();
    delete serial;
    return result;
}

bool ModemList::CollectAnswers(ModemLink& link, CStringArray& answers)
{
    link.Delay(kProbeGapMs);
    const unsigned long probe = ModemFlags::WaitResult | ModemFlags::Prefix | ModemFlags::Terminate;
    if (link.SendStrings(probe, kReplyWaitMs, "E0V1", nullptr) != ModemResult::Ok)
        return false;
    const unsigned long ask = ModemFlags::FlushTransmit | ModemFlags::FlushReceive | ModemFlags::Terminate;
    for (int i = 0; i < m_commands.GetSize(); ++i) {
        link.Delay(kProbeGapMs);
        link.SendStrings(ask, 0, static_cast<const char*>(m_commands[i]), nullptr);
        char answer[kAnswerSize];
        link.CollectReply(0, kReplyWaitMs, answer, kAnswerSize, 116, 119, kModemItemsEnd);
        TrimToFirstLine(answer);
        answers.Add(answer);
    }
    return true;
}

int ModemList::Identify(ModemLink& link, CStringArray& names)
{
    if (!m_loaded)
        return 0;
    CStringArray answers;
    if (!CollectAnswers(link, answers))
        return -1;
    std::vector<const char*> answerTexts;
    for (int i = 0; i < answers.GetSize(); ++i)
        answerTexts.push_back(answers[i]);
    std::vector<ModelIdentity> models;
    for (int i = 0; i < GetCount(); ++i) {
        const ModemListItem* item = reinterpret_cast<const ModemListItem*>(GetItemData(i));
        if (item && item != reinterpret_cast<const ModemListItem*>(LB_ERR))
            models.push_back({item->modelName, item->manufacturerReply, item->identifyReply,
                              item->commandIndex});
    }
    const char* found[kMostCandidates];
    int count = IdentifyModels(models.data(), static_cast<int>(models.size()), answerTexts.data(),
                               static_cast<int>(answerTexts.size()), found);
    for (int i = 0; i < count; ++i)
        names.Add(found[i]);
    if (count > 0)
        SendMessage(LB_SETCURSEL, SendMessage(LB_FINDSTRING, 1, (LPARAM)found[0]));
    return count;
}

int ModemList::GetSelectedRecord(ModemInfoStruct* record)
{
    if (!m_loaded)
        return 0;
    MakeDBFPath(kModemDbfItem, m_text);
    ModemDBF database(m_text, 1);
    if (database.Open() != 1)
        return 0;
    int result = 0;
    m_text[0] = '\0';
    int selected = GetCurSel();
    if (selected != LB_ERR && SendMessage(LB_GETTEXTLEN, selected) < (LRESULT)sizeof m_text)
        SendMessage(LB_GETTEXT, selected, (LPARAM)m_text);
    if (m_text[0]) {
        CopyText(record->modelName, sizeof record->modelName, m_text);
        result = database.GetMatchedRecord(record, eModemIndexModelName) == 1;
    }
    database.Close();
    return result;
}

LRESULT ModemList::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        FreeItems();
    return CListBox::WindowProc(message, wParam, lParam);
}

void ModemList::FreeItems()
{
    for (int i = 0; i < GetCount(); ++i) {
        DWORD_PTR data = GetItemData(i);
        if (data && data != static_cast<DWORD_PTR>(LB_ERR))
            delete reinterpret_cast<ModemListItem*>(data);
        SetItemData(i, 0);
    }
    m_loaded = 0;
}
