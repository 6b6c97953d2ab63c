// The registration wizard's four pages. Each moves values between its
// controls and the record's numbered fields: it fills the controls once
// when created and writes them back when the sheet commits it.
#ifndef QVWIZ_REGISTER_PAGES_H
#define QVWIZ_REGISTER_PAGES_H

#include "wizard_page.h"
#include <afxcoll.h>

class RegistrationRecord;
class RegisterWizardSheet;

// The user's particulars (template 109).
class RegisterInfoPage : public WizardPage {
public:
    RegisterInfoPage(CWnd* sheet, RegistrationRecord* record);
    BOOL OnInitDialog() override;
    void CommitPage() override;
    // Name and address must be given before going on.
    void OnNext() override;

private:
    RegistrationRecord* m_pRecord;
};

// Where the modem is used, where the product was bought, why, and how the
// user learned of it (template 112).
class RegisterSurveyPage : public WizardPage {
public:
    RegisterSurveyPage(CWnd* sheet, RegistrationRecord* record);
    BOOL OnInitDialog() override;
    void CommitPage() override;

private:
    RegistrationRecord* m_pRecord;
};

// E-mail address, on-line services and magazines (template 113).
class RegisterServicesPage : public WizardPage {
public:
    RegisterServicesPage(CWnd* sheet, RegistrationRecord* record);
    BOOL OnInitDialog() override;
    void CommitPage() override;

private:
    RegistrationRecord* m_pRecord;
};

// The drop-down of OEM.CFG's numbers: each item is dialled as the number
// alone but listed with its description.
class RegNumberComboBox : public CComboBox {
public:
    void AddNumber(const char* entry);
    void DrawItem(DRAWITEMSTRUCT* item) override;
    void MeasureItem(MEASUREITEMSTRUCT* item) override;

private:
    CStringArray m_shown;
};

// Dial prefix and registration number, and "&Register" (template 114).
class RegisterDialPage : public WizardPage {
public:
    RegisterDialPage(CWnd* sheet, RegistrationRecord* record);
    BOOL OnInitDialog() override;
    // Builds the sheet's dial string; the record keeps neither part.
    void CommitPage() override;
    // "&Register": the call; the wizard ends when it registered.
    void OnNext() override;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    RegisterWizardSheet* Sheet() const;

    RegistrationRecord* m_pRecord;
    RegNumberComboBox m_numbers;
    BOOL m_bListInUse = FALSE;
};

// Shown when OEM.CFG names no registration number.
extern const char kDefaultRegNumber[];

#endif
