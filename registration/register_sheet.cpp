#include "register_sheet.h"
#include "register_pages.h"
#include "registration_record.h"
#include "registration_ids.h"
#include "resource.h"

namespace {

CString LoadString(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

}  // namespace

RegisterWizardSheet::RegisterWizardSheet(CWnd* owner, const char* text)
    : WizardSheet(IDD_REGISTER_SHEET, owner), m_pRecord(new RegistrationRecord(this))
{
    m_pRecord->SetField(13, text);
}

RegisterWizardSheet::~RegisterWizardSheet()
{
    for (WizardPage* page : m_pPages)
        delete page;
    delete m_pRecord;
}

BOOL RegisterWizardSheet::OnInitDialog()
{
    SetCaption(LoadString(IDS_PRODUCT_NAME) + " " + LoadString(IDS_REGISTER_WIZARD));
    SendMessage(WM_SETREDRAW, FALSE);
    SetDoneCaption(LoadString(IDS_REG_REGISTER));

    m_pPages[0] = new RegisterInfoPage(this, m_pRecord);
    m_pPages[1] = new RegisterSurveyPage(this, m_pRecord);
    m_pPages[2] = new RegisterServicesPage(this, m_pRecord);
    m_pPages[3] = new RegisterDialPage(this, m_pRecord);
    for (WizardPage* page : m_pPages)
        AddPage(page, TRUE, IDB_REGISTER);
    SetFinalPage(kLastPage, TRUE);
    return WizardSheet::OnInitDialog();
}

void RegisterWizardSheet::OnCancel()
{
    CommitAll();
    WizardSheet::OnCancel();
}

void RegisterWizardSheet::ShowMessage(UINT stringId)
{
    MessageBox(LoadString(stringId), LoadString(IDS_REGISTER_WIZARD), MB_OK | MB_ICONEXCLAMATION);
}

void RegisterWizardSheet::CommitAll()
{
    for (WizardPage* page : m_pPages)
        if (page && page->m_hWnd)
            page->CommitPage();
}

BOOL RegisterWizardSheet::RegisterNow()
{
    CommitAll();
    int result = m_pRecord->Register(m_dialString);
    return result == RegisteredNoFile || result == Registered;
}
