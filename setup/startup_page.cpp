#include "startup_page.h"
#include "setup_sheet.h"
#include "setup_common.h"
#include "library.h"
#include "resource.h"
#include "setup_ids.h"
#include <qvcmmn32_calls.h>
#include <qvutil.h>
#include <cstdio>

namespace {

void MarkInstalled(int item)
{
    CQSetupProfile profile(0);
    profile.SetProfile(NumItem(item), 1, 0);
}

// A start-up item: its description and program (a long profile item), the
// switch the program is started with, and the number item recording it.
struct StartupItem {
    UINT descriptionId;
    int programItem;
    const char* arguments;
    int installedItem;
};

const StartupItem kSuiteItem = {IDS_PRODUCT_NAME, 9, nullptr, 9};
const StartupItem kMenuItem = {IDS_MENU_PROGRAM, 17, "/KX", 10};

void CreateLink(CreateShortcutInStartupFn createShortcut, const StartupItem& item)
{
    CString description = LoadText(item.descriptionId);
    CString linkName = description + ".lnk";
    char target[MAX_PATH];
    {
        CQSetupProfile profile(0);
        profile.GetProfile(LongItem(item.programItem), target, sizeof target, eDefaultsNone);
    }
    if (createShortcut(linkName, target, description, nullptr, item.arguments, 0, 0))
        MarkInstalled(item.installedItem);
}

// Program Manager takes one command line: the program's path, with its
// switch, inside one pair of double quotes.
void AddProgmanItem(ProgmanAddItemFn addItem, const StartupItem& item)
{
    CString description = LoadText(item.descriptionId);
    char commandLine[MAX_PATH];
    {
        CQSetupProfile profile(0);
        const char* program = profile.GetProfile(LongItem(item.programItem), nullptr, 0,
                                                 eDefaultsNone);
        if (item.arguments)
            std::snprintf(commandLine, sizeof commandLine, "\"%s %s\"", program, item.arguments);
        else
            std::snprintf(commandLine, sizeof commandLine, "\"%s\"", program);
    }
    if (addItem(description, commandLine))
        MarkInstalled(item.installedItem);
}

void InstallAsLinks(HINSTANCE library, BOOL runSuite, BOOL runMenu)
{
    auto createShortcut = LookupExport<CreateShortcutInStartupFn>(library, "CreateShortcutInStartup");
    if (!createShortcut)
        return;
    if (runSuite)
        CreateLink(createShortcut, kSuiteItem);
    if (runMenu)
        CreateLink(createShortcut, kMenuItem);
}

void InstallAsProgmanItems(HINSTANCE library, BOOL runSuite, BOOL runMenu)
{
    auto manageGroup = LookupExport<ProgmanManageGroupFn>(library, "ProgmanManageGroup");
    auto addItem = LookupExport<ProgmanAddItemFn>(library, "ProgmanAddItem");
    if (!manageGroup || !addItem)
        return;
    CString group = LoadText(IDS_STARTUP_GROUP);
    if (!manageGroup(group, group, 0))
        return;
    if (runSuite)
        AddProgmanItem(addItem, kSuiteItem);
    if (runMenu)
        AddProgmanItem(addItem, kMenuItem);
}

}  // namespace

void InstallStartupItems(BOOL runSuite, BOOL runMenu, BOOL /*desktopShortcut*/)
{
    if (!runSuite && !runMenu)
        return;
    HINSTANCE library = nullptr;
    if (QVLoadLibrary(&library, eSS_UtilDll, 0) != 0)
        return;
    auto init = LookupExport<InitQVUtilFn>(library, "InitQVUtil");
    auto deinit = LookupExport<DeInitQVUtilFn>(library, "DeInitQVUtil");
    const BOOL windows95 = LibraryIsWindows95();
    if (!init || !deinit || !init(windows95 ? 0 : 1)) {
        FreeLibrary(library);
        return;
    }
    if (windows95)
        InstallAsLinks(library, runSuite, runMenu);
    else
        InstallAsProgmanItems(library, runSuite, runMenu);
    deinit();
    FreeLibrary(library);
}

StartupOptionsPage::StartupOptionsPage(CWnd* sheet) : SetupPage(28675)
{
    Create(IDD_STARTUP_PAGE, sheet);
}

BOOL StartupOptionsPage::OnInitDialog()
{
    BOOL result = SetupPage::OnInitDialog();
    char text[MAX_PATH];
    std::snprintf(text, sizeof text, LoadText(IDS_RUN_AT_STARTUP),
                  (const char*)LoadText(IDS_PRODUCT_NAME2));
    SetDlgItemText(IDC_RUN_SUITE, text);
    CheckDlgButton(IDC_REGISTER_NOW, BST_CHECKED);

    // The menu program is offered only when it is installed.
    char menuProgram[MAX_PATH];
    {
        CQSetupProfile profile(0);
        profile.GetProfile(eLS_MenuProgram, menuProgram, sizeof menuProgram, eDefaultsNone);
    }
    HFILE file = _lopen(menuProgram, OF_READ);
    if (file != HFILE_ERROR) {
        _lclose(file);
        CheckDlgButton(IDC_RUN_MENU, BST_CHECKED);
    } else {
        GetDlgItem(IDC_RUN_MENU)->ShowWindow(SW_HIDE);
    }

    if (!LibraryIsWindows95()) {
        GetDlgItem(IDC_DESKTOP_SHORTCUT)->ShowWindow(SW_HIDE);
        GetDlgItem(IDC_CONTEXT_MENU_FAX)->ShowWindow(SW_HIDE);
    }
    // The voice-mailbox question belongs to a feature this suite lacks.
    GetDlgItem(IDC_MAILBOX_QUESTION)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_MAILBOX_SINGLE)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_MAILBOX_MULTIPLE)->ShowWindow(SW_HIDE);
    return result;
}

void StartupOptionsPage::CommitPage()
{
    const int finishCode = IsDlgButtonChecked(IDC_REGISTER_NOW) ? 2 : 1;
    const BOOL runSuite = IsDlgButtonChecked(IDC_RUN_SUITE);
    const BOOL runMenu = IsDlgButtonChecked(IDC_RUN_MENU);
    const BOOL desktopShortcut = IsDlgButtonChecked(IDC_DESKTOP_SHORTCUT);
    InstallStartupItems(runSuite, runMenu, desktopShortcut);
    if (auto* sheet = dynamic_cast<SetupWizardSheet*>(GetSheet()))
        sheet->m_finishCode = finishCode;
}
