#include "modem_model_page.h"

#include <stdio.h>
#include <string.h>

#include "setup_common.h"
#include "resource.h"
#include "setup_ids.h"

namespace {

const UINT kModelPageHelp = 0x7002;

// The port to probe: the one chosen on the modem-or-port page. Until that
// page has been left with Next the buffer is empty; the port the profile
// already names is then the best guess, and with none there is no port
// ("COM0"), as when the user chose none.
const char* ChosenPort()
{
    if (!g_portName[0]) {
        CQSetupProfile profile(0);
        profile.GetProfile(eLS_PortName, g_portName, sizeof g_portName, eDefaultsNone);
        if (!g_portName[0])
            lstrcpyA(g_portName, "COM0");
    }
    return g_portName;
}

void WriteShort(CQSetupProfile& profile, int item, const char* text)
{
    profile.SetProfile(ShortItem(item), text, 0);
}

}  // namespace

AutoDetectDialog::AutoDetectDialog(CWnd* parent)
    : WizardDialog(IDD_AUTO_DETECT, parent, 0, 0), m_parent(parent)
{
    if (!Create(IDD_AUTO_DETECT, parent))
        return;
    m_done = 0;
    if (CWnd* icon = GetDlgItem(IDC_DETECT_ICON))
        icon->EnableWindow(FALSE);
    if (m_parent)
        m_parent->EnableWindow(FALSE);
}

AutoDetectDialog::~AutoDetectDialog()
{
    if (m_parent)
        m_parent->EnableWindow(TRUE);
    DestroyWindow();
}

void AutoDetectDialog::SetMessage(const char* text)
{
    SetDlgItemText(IDC_DETECT_MESSAGE, text);
    // The probe that follows dispatches no messages: paint now.
    UpdateWindow();
}

void AutoDetectDialog::SetMessageId(UINT id)
{
    SetMessage(LoadText(id));
}

void AutoDetectDialog::EnableOK()
{
    CWnd* ok = GetDlgItem(IDOK);
    if (!ok)
        return;
    ok->EnableWindow(TRUE);
    // Disabled when the dialog opened, OK could not take the focus then;
    // without it Enter has nowhere to go.
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ok->m_hWnd), TRUE);
}

void AutoDetectDialog::OnOK()
{
    m_done = 1;
}

void AutoDetectDialog::OnCancel()
{
    m_done = 1;
}

BOOL AutoDetectDialog::TakeKey(MSG* msg)
{
    return m_hWnd && IsDialogMessageA(m_hWnd, msg);
}

ModemModelPage::ModemModelPage(CWnd* sheet) : SetupPage(kModelPageHelp)
{
    Create(IDD_MODEM_MODEL_PAGE, sheet);
    m_modemList.SubclassDlgItem(IDC_MODEM_LIST, this);
    if (!m_modemList.LoadModems())
        EnableWindow(FALSE);
}

void ModemModelPage::OnSetFocus(HWND previous)
{
    SetupPage::OnSetFocus(previous);
    CWnd* button = GetDlgItem(IDC_AUTO_SELECT);
    if (!button)
        return;
    if (lstrcmpiA(ChosenPort(), "COM0") == 0) {
        button->EnableWindow(FALSE);
        return;
    }
    button->EnableWindow(TRUE);
    if (!m_autoSelected)
        SendMessage(DM_SETDEFID, IDC_AUTO_SELECT);
}

BOOL ModemModelPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDC_AUTO_SELECT && HIWORD(wParam) == BN_CLICKED) {
        AutoSelect();
        return TRUE;
    }
    if (LOWORD(wParam) == IDC_MODEM_CANDIDATES && HIWORD(wParam) == LBN_SELCHANGE) {
        ChooseCandidate();
        return TRUE;
    }
    return SetupPage::OnCommand(wParam, lParam);
}

void ModemModelPage::AutoSelect()
{
    AutoDetectDialog* dialog = new AutoDetectDialog(GetParent());
    CString text;
    const char* port = ChosenPort();
    text.Format(LoadText(IDS_DETECT_INSPECTING), port);
    dialog->SetMessage(text);

    CStringArray names;
    int found = m_modemList.ProbePort(port, names);
    if (found > 1) {
        ShowCandidates(names);
        dialog->SetMessageId(IDS_DETECT_AMBIGUOUS);
    } else if (found == 1) {
        m_modemList.SendMessage(LB_SETCURSEL,
                                m_modemList.SendMessage(LB_FINDSTRING, (WPARAM)-1,
                                                        (LPARAM)(const char*)names[0]));
        text.Format(LoadText(IDS_DETECT_FOUND), port, (const char*)names[0]);
        dialog->SetMessage(text);
    } else {
        dialog->SetMessageId(IDS_DETECT_NONE);
    }

    if (!dialog->IsDone()) {
        dialog->EnableOK();
        // The user reads the outcome; the sheet stays disabled meanwhile.
        MSG msg;
        while (!dialog->IsDone()) {
            if (!PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
                WaitMessage();
                continue;
            }
            if (dialog->TakeKey(&msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    delete dialog;
    m_autoSelected = 1;
    SendMessage(DM_SETDEFID, IDC_WIZARD_NEXT);
}

void ModemModelPage::ShowCandidates(const CStringArray& names)
{
    CListBox* candidates = static_cast<CListBox*>(GetDlgItem(IDC_MODEM_CANDIDATES));
    candidates->ResetContent();
    candidates->InsertString(-1, LoadText(IDS_NONE));
    for (int i = 0; i < names.GetSize(); ++i)
        candidates->InsertString(-1, names[i]);
    candidates->SetCurSel(1);
    m_modemList.SendMessage(LB_SETCURSEL,
                            m_modemList.SendMessage(LB_FINDSTRING, 1, (LPARAM)(const char*)names[0]));
    m_modemList.ShowWindow(SW_HIDE);
    candidates->ShowWindow(SW_SHOW);
}

void ModemModelPage::ChooseCandidate()
{
    CListBox* candidates = static_cast<CListBox*>(GetDlgItem(IDC_MODEM_CANDIDATES));
    int selected = candidates->GetCurSel();
    if (selected == LB_ERR)
        return;
    if (selected == 0) {
        ShowFullList();
        return;
    }
    CString name;
    candidates->GetText(selected, name);
    m_modemList.SendMessage(LB_SETCURSEL,
                            m_modemList.SendMessage(LB_FINDSTRING, 1, (LPARAM)(const char*)name));
}

void ModemModelPage::ShowFullList()
{
    GetDlgItem(IDC_MODEM_CANDIDATES)->ShowWindow(SW_HIDE);
    m_modemList.ShowWindow(SW_SHOW);
}

void ModemModelPage::CommitPage()
{
    ModemInfoStruct record;
    memset(&record, 0, sizeof record);
    bool found = m_modemList.GetSelectedRecord(&record) != 0;
    m_modemList.FreeItems();
    if (found)
        StoreModemRecord(record);
}

void StoreModemRecord(const ModemInfoStruct& r)
{
    CQSetupProfile profile(0);
    unsigned short writesInit = 0;
    profile.GetProfile(eN_ChooseModemWritesInit, &writesInit, eDefaultsNone);
    if (writesInit) {
        profile.SetProfile(eLS_ModemInit, r.init, 0);
        WriteShort(profile, 114, r.hangUp);
    }
    const struct { int item; const char* text; } texts[] = {
        {109, r.modelText}, {110, r.modelName}, {111, r.manufacturerReply},
        {112, r.commandPrefix}, {113, r.fullCommandA}, {115, r.fullCommandB},
        {116, r.replies[0]}, {117, r.replies[1]}, {118, r.replies[2]}, {119, r.replies[3]},
        {120, r.replies[4]}, {121, r.replies[5]}, {122, r.replies[6]}, {123, r.replies[7]},
        {124, r.replies[8]}, {125, r.dialTone}, {126, r.dialPulse}, {127, r.progressNone},
        {128, r.progressDialTone}, {129, r.progressBusy}, {130, r.progressAll},
        {132, r.volumeLow}, {133, r.volumeMedium}, {134, r.volumeHigh}, {135, r.speedSlow},
        {136, r.speedNormal}, {137, r.speedFast}, {138, r.shortCommandA},
        {139, r.shortCommandC}, {140, r.shortCommandB}, {141, r.speakerOff},
        {142, r.speakerUntilConnect}, {143, r.speakerOn}, {159, r.watchedReply},
        {146, r.commandA}, {148, r.commandB},
    };
    for (const auto& t : texts)
        WriteShort(profile, t.item, t.text);
    profile.SetProfile(eLS_ModemInit2, r.init2, 0);
    WriteShort(profile, 144, r.commandC);
    WriteShort(profile, 145, r.commandD);
    profile.SetProfile(NumItem(148), static_cast<unsigned long>(r.number148), 0);
    profile.SetProfile(eN_MaxCommandLength, r.maxCommandLength, 0);
    profile.SetProfile(NumItem(178), static_cast<unsigned long>(r.number178), 0);
    profile.SetProfile(NumItem(162), r.number162, 0);
    profile.SetProfile(NumItem(160), r.number160, 0);
    WriteShort(profile, eSS_Handshake, r.hardwareHandshake ? "Hard" : "Soft");
}
