// The last setup page: start the suite or its menu program with Windows,
// and register electronically. On finish it installs the chosen start-up
// items and hands the registration choice to the sheet.
#ifndef QVWIZ_STARTUP_PAGE_H
#define QVWIZ_STARTUP_PAGE_H

#include "user_pages.h"

class StartupOptionsPage : public SetupPage {
public:
    explicit StartupOptionsPage(CWnd* sheet);
    BOOL OnInitDialog() override;
    void CommitPage() override;
};

// Creates the start-up items through the suite's utility library: shell
// links in the Startup folder on the Windows 95 shell, items of the Program
// Manager group "startup" otherwise. Records in the profile (N9, N10) only
// the items really created. Failures are silent. The desktop-shortcut flag
// is accepted and not used.
void InstallStartupItems(BOOL runSuite, BOOL runMenu, BOOL desktopShortcut);

#endif
