#include "setup_sheet.h"
#include "resource.h"

WelcomePage::WelcomePage(CWnd* sheet) : WizardPage(28678)
{
    Create(IDD_WELCOME_PAGE, sheet);
}

SetupWizardSheet::SetupWizardSheet(CWnd* owner) : WizardSheet(IDD_SETUP_SHEET, owner)
{
}

SetupWizardSheet::~SetupWizardSheet()
{
    delete m_pWelcomePage;
}

BOOL SetupWizardSheet::OnInitDialog()
{
    CString product, title;
    product.LoadString(IDS_PRODUCT_NAME);
    title.LoadString(IDS_SETUP_WIZARD);
    SetCaption(product + " " + title);

    m_pWelcomePage = new WelcomePage(this);
    AddPage(m_pWelcomePage, TRUE, IDB_SETUP_WELCOME);
    SetFinalPage(kLastPage, TRUE);
    return WizardSheet::OnInitDialog();
}

void SetupWizardSheet::OnOK()
{
    for (int i = 0; i < m_pageCount; i++)
        GetEntry(i)->m_pPage->CommitPage();
    EndWizard(m_finishCode);
}

void SetupWizardSheet::ShowMessage(UINT stringId)
{
    CString text, caption;
    text.LoadString(stringId);
    caption.LoadString(IDS_SETUP_WIZARD);
    MessageBox(text, caption, MB_OK | MB_ICONEXCLAMATION);
}
