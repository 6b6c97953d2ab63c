// The setup wizard's sheet (template 100). Constructing it writes the
// suite's default file locations into the setup profile and DBMAP.CFG,
// even if the wizard is then cancelled. The six pages are created when the
// window opens, before it shows; "&Done" on the last one stores every page,
// runs the modem-detection library and ends with the finish code.
#ifndef QVWIZ_SETUP_SHEET_H
#define QVWIZ_SETUP_SHEET_H

#include "wizard_sheet.h"
#include "user_pages.h"
#include "startup_page.h"
#include "modem_model_page.h"
#include "modem_port_page.h"

class SetupWizardSheet : public WizardSheet {
public:
    explicit SetupWizardSheet(CWnd* owner);
    ~SetupWizardSheet() override;

    BOOL OnInitDialog() override;
    void OnOK() override;
    // A message box with the caption "Setup Wizard".
    void ShowMessage(UINT stringId) override;

    // What the wizard returns on finish: 2 when the user asked to register
    // electronically, else 1. Set by the startup options page.
    int m_finishCode = 1;

private:
    WelcomePage* m_pWelcomePage = nullptr;
    IdentityPage* m_pIdentityPage = nullptr;
    AddressPage* m_pAddressPage = nullptr;
    StartupOptionsPage* m_pStartupPage = nullptr;
    ModemPortPage* m_pModemPortPage = nullptr;
    ModemModelPage* m_pModemModelPage = nullptr;
};

// The suite's default file locations, and the "Maps"/"Map0" entry of
// DBMAP.CFG naming the phone book.
void WriteProfileDefaults();
// Hands the chosen port and voice-file installation to the suite's
// modem-detection library; a missing library or entry point is skipped.
void RunModemDetection(HWND owner);

#endif
