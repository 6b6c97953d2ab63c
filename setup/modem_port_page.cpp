#include "modem_port_page.h"
#include "setup_common.h"
#include "tapi_line_app.h"
#include "library.h"
#include "resource.h"
#include "setup_ids.h"
#include "wizard_sheet.h"
#include <cstdio>
#include <cstring>

namespace {

const int kModemModelPage = 4;
const LPARAM kDirectPort = -1;
const char kAppName[] = "ZIVeredo";
const char kModemsWindow[] = "Modems Properties";

// Pumps the thread's messages while the window exists; the window belongs
// to another process, so its end is not a message here, and the wait
// wakes every tenth of a second to look.
void WaitWhileWindowExists(const char* title)
{
    while (FindWindowA(nullptr, title)) {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        }
    }
}

}  // namespace

ModemPortPage::ModemPortPage(CWnd* sheet) : SetupPage(28679)
{
    m_hDefaultIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_MODEM_PORT));
    if (LibraryIsWindows95())
        m_pTapi = new TapiLineApp;
    Create(IDD_MODEM_PORT_PAGE, sheet);
}

ModemPortPage::~ModemPortPage()
{
    if (m_pTapi) {
        m_pTapi->Shutdown();
        delete m_pTapi;
    }
}

TapiLineApp* ModemPortPage::Register(TapiLineApp* tapi)
{
    if (tapi->Initialize(GetModuleHandleA(nullptr), nullptr, kAppName, nullptr) < 0) {
        tapi->Shutdown();
        delete tapi;
        return nullptr;
    }
    return tapi;
}

BOOL ModemPortPage::OnInitDialog()
{
    BOOL result = SetupPage::OnInitDialog();
    char prompt[256];
    std::snprintf(prompt, sizeof prompt, LoadText(IDS_CHOOSE_PORT),
                  (const char*)LoadText(IDS_PRODUCT_NAME));
    SetDlgItemText(IDC_PORT_PROMPT, prompt);

    if (m_pTapi)
        m_pTapi = Register(m_pTapi);
    if (!m_pTapi) {
        ::ShowWindow(::GetDlgItem(m_hWnd, IDC_ADD_MODEM), SW_HIDE);
        ::ShowWindow(::GetDlgItem(m_hWnd, IDC_PORT_ICON), SW_HIDE);
    }
    FillList();
    return result;
}

void ModemPortPage::FillList()
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_PORT_LIST);
    ::SendMessageA(list, CB_RESETCONTENT, 0, 0);
    if (m_pTapi) {
        for (DWORD device = 0; device < m_pTapi->GetDeviceCount(); device++) {
            char name[TapiLineApp::kLineNameSize] = "";
            m_pTapi->GetLineName(device, name);
            if (!name[0])
                continue;
            LRESULT at = ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
            if (at >= 0)
                ::SendMessageA(list, CB_SETITEMDATA, at, static_cast<LPARAM>(device));
        }
    }
    CString format = LoadText(IDS_DIRECT_TO_COM);
    for (int n = 1; n <= (m_pTapi ? 4 : 9); n++) {
        char port[64];
        std::snprintf(port, sizeof port, format, n);
        LRESULT at = ::SendMessageA(list, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(port));
        ::SendMessageA(list, CB_SETITEMDATA, at, kDirectPort);
    }

    CQSetupProfile profile(0);
    const char* stored = profile.GetProfile(LongItem(55), nullptr, 0, eDefaultsNone);
    if (!stored || ::SendMessageA(list, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                  reinterpret_cast<LPARAM>(stored)) == CB_ERR)
        ::SendMessageA(list, CB_SETCURSEL, 0, 0);
    ShowSelectedIcon();
}

void ModemPortPage::ShowSelectedIcon()
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_PORT_LIST);
    LRESULT at = ::SendMessageA(list, CB_GETCURSEL, 0, 0);
    LRESULT device = at == CB_ERR ? kDirectPort : ::SendMessageA(list, CB_GETITEMDATA, at, 0);
    HICON icon = nullptr;
    if (!m_pTapi || device == kDirectPort ||
        m_pTapi->GetLineIcon(&icon, static_cast<DWORD>(device)) != 0 || !icon)
        icon = m_hDefaultIcon;
    ::SendDlgItemMessageA(m_hWnd, IDC_PORT_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

void ModemPortPage::OnNext()
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_PORT_LIST);
    LRESULT at = ::SendMessageA(list, CB_GETCURSEL, 0, 0);
    bool direct = true;
    char choice[sizeof g_portName] = "COM0";
    if (at != CB_ERR && ::SendMessageA(list, CB_GETLBTEXTLEN, at, 0) < LRESULT(sizeof choice)) {
        char text[sizeof choice];
        ::SendMessageA(list, CB_GETLBTEXT, at, reinterpret_cast<LPARAM>(text));
        direct = ::SendMessageA(list, CB_GETITEMDATA, at, 0) == kDirectPort;
        size_t length = std::strlen(text);
        lstrcpynA(choice, direct && length > 4 ? text + length - 4 : text, sizeof choice);
    }
    lstrcpynA(g_portName, choice, sizeof g_portName);
    if (WizardSheet* sheet = GetSheet()) {
        sheet->SetPageEnabled(kModemModelPage, direct);
        sheet->NextPage(0);
    }
}

void ModemPortPage::CommitPage()
{
    CQSetupProfile profile(0);
    profile.SetProfile(LongItem(55), g_portName, 0);
}

void ModemPortPage::AddModems()
{
    if (!m_pTapi)
        return;
    char command[] = "CONTROL.EXE MODEM.CPL";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
        return;
    EnableWindow(FALSE);
    m_pTapi->Shutdown();
    delete m_pTapi;
    m_pTapi = nullptr;

    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    WaitWhileWindowExists(kModemsWindow);

    EnableWindow(TRUE);
    m_pTapi = Register(new TapiLineApp);
    FillList();
    // The focus was in the disabled page; it goes back to the list.
    ::SetFocus(::GetDlgItem(m_hWnd, IDC_PORT_LIST));
}

BOOL ModemPortPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDC_ADD_MODEM && HIWORD(wParam) == BN_CLICKED) {
        AddModems();
        return TRUE;
    }
    if (LOWORD(wParam) == IDC_PORT_LIST && HIWORD(wParam) == CBN_SELCHANGE) {
        ShowSelectedIcon();
        return TRUE;
    }
    return SetupPage::OnCommand(wParam, lParam);
}
