#include "setup_sheet.h"
#include "setup_common.h"
#include "resource.h"
#include "setup_ids.h"
#include <qvcmmn32_calls.h>
#include <qvdetect.h>

namespace {

// The suite's files and folders, each stored as a full path inside the
// suite directory.
struct DefaultPath {
    bool isLong;
    int item;
    const char* name;
};

const DefaultPath kDefaultPaths[] = {
    {true, 9, "KESTRIX.EXE"},   {true, 18, "QVLOAD.EXE"},  {true, 10, "QVLOG.EXE"},
    {true, 11, "QVVIEW.EXE"},   {true, 12, "QVTERM.EXE"},  {true, 13, "QVFAX1.EXE"},
    {true, 14, "QVFAX2.EXE"},   {true, 19, "QVFXMW.EXE"},  {true, 15, "QVSRP.EXE"},
    {true, 16, "QVPBOOK.EXE"},  {false, 5, "PHONE.DBF"},   {true, 42, "HOST.SRP"},
    {true, 43, "HOSTMENU.TXT"}, {true, 44, "HOST"},        {true, 49, "INBOX"},
    {true, 5, "INBOX"},         {true, 20, "INBOX"},
};

const int kLoadProgramItem = 18;

}  // namespace

void WriteProfileDefaults()
{
    CQSetupProfile profile(0);
    char directory[MAX_PATH];
    profile.GetProfile(eLS_SuiteDir, directory, sizeof directory, eDefaultsNone);
    // Item by item: a grouped update is not a call every copy of the suite's
    // profile library has. Writes that change nothing cost nothing.
    profile.SetProfile(eLS_SuiteDir, directory, 0);
    profile.SetProfile(eLS_SuiteDir2, directory, 0);

    for (const DefaultPath& d : kDefaultPaths) {
        char path[MAX_PATH];
        MakePath(path, directory, d.name);
        if (!d.isLong) {
            profile.SetProfile(ShortItem(d.item), path, 0);
            continue;
        }
        // The loader is started by programs that cannot take blanks in a
        // path, so it gets the short form when there is one.
        char shortPath[MAX_PATH];
        if (d.item == kLoadProgramItem && GetShortPathNameA(path, shortPath, sizeof shortPath))
            profile.SetProfile(LongItem(d.item), shortPath, 0);
        else
            profile.SetProfile(LongItem(d.item), path, 0);
    }

    char phoneBook[MAX_PATH], mapFile[MAX_PATH];
    MakePath(phoneBook, directory, "PHONE.DBF");
    MakePath(mapFile, directory, "DBMAP.CFG");
    WritePrivateProfileStringA("Maps", "Map0", phoneBook, mapFile);
}

void RunModemDetection(HWND owner)
{
    HINSTANCE library = nullptr;
    if (QVLoadLibrary(&library, eSS_DetectDll, 0) != 0)
        return;
    auto init = LookupExport<InitDetectDLLFn>(library, "InitDetectDLL");
    auto detect = LookupExport<DoModemDetectionFn>(library, "DoModemDetection");
    auto installVoiceFiles = LookupExport<InstallVoiceFilesFn>(library, "InstallVoiceFiles");
    auto deinit = LookupExport<DeInitDetectDLLFn>(library, "DeInitDetectDLL");
    if (!init || !detect || !installVoiceFiles || !deinit || !init()) {
        FreeLibrary(library);
        return;
    }
    {
        CQSetupProfile profile(0);
        detect(owner, profile.GetProfile(eLS_PortName, nullptr, 0, eDefaultsNone), 0);
        installVoiceFiles(owner, 1);
        deinit();
    }
    FreeLibrary(library);
}

SetupWizardSheet::SetupWizardSheet(CWnd* owner) : WizardSheet(IDD_SETUP_SHEET, owner)
{
    WriteProfileDefaults();
}

SetupWizardSheet::~SetupWizardSheet()
{
    delete m_pWelcomePage;
    delete m_pIdentityPage;
    delete m_pAddressPage;
    delete m_pStartupPage;
    delete m_pModemPortPage;
    delete m_pModemModelPage;
}

BOOL SetupWizardSheet::OnInitDialog()
{
    SetCaption(LoadText(IDS_PRODUCT_NAME) + " " + LoadText(IDS_SETUP_WIZARD));

    // The sheet is shown by the modal loop once it exists; the pages are
    // placed without being drawn one by one. The welcome page comes first;
    // the other five follow as soon as it is on the screen.
    SendMessage(WM_SETREDRAW, FALSE);
    m_pWelcomePage = new WelcomePage(this);
    AddPage(m_pWelcomePage, TRUE, IDB_SETUP_WELCOME);
    DeferLaterPages();
    return WizardSheet::OnInitDialog();
}

void SetupWizardSheet::CreateLaterPages()
{
    m_pIdentityPage = new IdentityPage(this);
    m_pAddressPage = new AddressPage(this);
    m_pStartupPage = new StartupOptionsPage(this);
    m_pModemPortPage = new ModemPortPage(this);
    m_pModemModelPage = new ModemModelPage(this);

    AddPage(m_pIdentityPage, TRUE, IDB_SETUP_IDENTITY);
    AddPage(m_pAddressPage, TRUE, IDB_SETUP_ADDRESS);
    AddPage(m_pModemPortPage, TRUE, IDB_SETUP_MODEM);
    AddPage(m_pModemModelPage, TRUE, IDB_SETUP_MODEM);
    AddPage(m_pStartupPage, TRUE, IDB_SETUP_STARTUP);
    SetFinalPage(kLastPage, TRUE);
}

void SetupWizardSheet::OnOK()
{
    WizardPage* const commitOrder[] = {m_pIdentityPage, m_pAddressPage, m_pStartupPage,
                                       m_pModemPortPage, m_pModemModelPage};
    for (WizardPage* page : commitOrder)
        if (page)
            page->CommitPage();
    RunModemDetection(m_hWnd);
    EndWizard(m_finishCode);
}

void SetupWizardSheet::ShowMessage(UINT stringId)
{
    MessageBox(LoadText(stringId), LoadText(IDS_SETUP_WIZARD), MB_OK | MB_ICONEXCLAMATION);
}
