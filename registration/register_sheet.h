// The registration wizard's sheet (template 108). For now it shows one
// placeholder page; the record, the four pages and the call come later.
#ifndef QVWIZ_REGISTER_SHEET_H
#define QVWIZ_REGISTER_SHEET_H

#include "wizard_sheet.h"

class RegisterInfoPage : public WizardPage {
public:
    explicit RegisterInfoPage(CWnd* sheet);
};

class RegisterWizardSheet : public WizardSheet {
public:
    // text: the caller's text for the record (at most 59 characters kept).
    RegisterWizardSheet(CWnd* owner, const char* text);
    ~RegisterWizardSheet() override;

    BOOL OnInitDialog() override;
    // Nothing can be registered yet: finishing counts as "saved for later".
    void OnOK() override { EndWizard(0); }

private:
    char m_callerText[60];
    RegisterInfoPage* m_pInfoPage = nullptr;
};

#endif
