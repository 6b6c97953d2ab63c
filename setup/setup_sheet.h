// The setup wizard's sheet (template 100). For now it shows the welcome
// page only; the other five pages and the finish sequence come later.
#ifndef QVWIZ_SETUP_SHEET_H
#define QVWIZ_SETUP_SHEET_H

#include "wizard_sheet.h"

class WelcomePage : public WizardPage {
public:
    explicit WelcomePage(CWnd* sheet);
    // Escape inside a setup page does nothing.
    void OnCancel() override {}
};

class SetupWizardSheet : public WizardSheet {
public:
    explicit SetupWizardSheet(CWnd* owner);
    ~SetupWizardSheet() override;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void ShowMessage(UINT stringId) override;

    // 2 when the user asked to register electronically, else 1.
    int m_finishCode = 1;

private:
    WelcomePage* m_pWelcomePage = nullptr;
};

#endif
