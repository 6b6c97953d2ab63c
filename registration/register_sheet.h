// The registration wizard (template 108): four pages over one
// RegistrationRecord. "&Register" on the last page makes the call; "&Save
// for later", Escape or closing keep every answer for the next run.
#ifndef QVWIZ_REGISTER_SHEET_H
#define QVWIZ_REGISTER_SHEET_H

#include "wizard_sheet.h"

class RegistrationRecord;

class RegisterWizardSheet : public WizardSheet {
public:
    // text: the caller's text, stored as field 13 when not null.
    RegisterWizardSheet(CWnd* owner, const char* text);
    ~RegisterWizardSheet() override;

    BOOL OnInitDialog() override;
    // Commits every page, then ends with result 0.
    void OnCancel() override;
    void ShowMessage(UINT stringId) override;

    void CommitAll();
    // Commits every page and calls; TRUE when the product got registered.
    BOOL RegisterNow();

    RegistrationRecord* GetRecord() const { return m_pRecord; }
    // Dial prefix and number, set by the dial page's CommitPage.
    char m_dialString[64] = "";

private:
    RegistrationRecord* m_pRecord;
    WizardPage* m_pPages[4] = {};
};

#endif
