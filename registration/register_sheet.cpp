#include "register_sheet.h"
#include "resource.h"

RegisterInfoPage::RegisterInfoPage(CWnd* sheet) : WizardPage(28688)
{
    Create(IDD_REGISTER_INFO_PAGE, sheet);
}

RegisterWizardSheet::RegisterWizardSheet(CWnd* owner, const char* text)
    : WizardSheet(IDD_REGISTER_SHEET, owner)
{
    lstrcpynA(m_callerText, text ? text : "", sizeof m_callerText);
}

RegisterWizardSheet::~RegisterWizardSheet()
{
    delete m_pInfoPage;
}

BOOL RegisterWizardSheet::OnInitDialog()
{
    CString title;
    title.LoadString(IDS_REGISTER_WIZARD);
    SetCaption(title);

    m_pInfoPage = new RegisterInfoPage(this);
    AddPage(m_pInfoPage, TRUE, IDB_REGISTER);
    SetFinalPage(kLastPage, TRUE);
    return WizardSheet::OnInitDialog();
}
