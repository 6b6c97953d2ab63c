#include "user_pages.h"
#include "setup_common.h"
#include "wizard_sheet.h"
#include "resource.h"
#include "setup_ids.h"
#include <cstdio>

namespace {

const EditItem kIdentityItems[] = {
    {IDC_USER_NAME, false, 86, 40},
    {IDC_COMPANY, false, 91, 40},
    {IDC_VOICE_NUMBER, false, 87, 40},
    {IDC_DATA_NUMBER, false, 88, 40},
    {IDC_AREA_CODE, false, 97, 40},
    {IDC_FAX_NUMBER, false, 89, 40},
};

const EditItem kAddressItems[] = {
    {IDC_ADDRESS1, true, 45, 60},
    {IDC_ADDRESS2, true, 46, 60},
    {IDC_CITY, false, 92, 60},
    {IDC_STATE, false, 93, 40},
    {IDC_POST_CODE, false, 94, 40},
    {IDC_COUNTRY, false, 95, 60},
    {IDC_EMAIL, false, 90, 40},
};

const int kIdentityCount = sizeof kIdentityItems / sizeof kIdentityItems[0];
const int kAddressCount = sizeof kAddressItems / sizeof kAddressItems[0];

// Next goes on only when the field's first character is there; a field
// that starts with a blank passes.
void NextIfFilled(WizardPage* page, int controlId, UINT messageId)
{
    WizardSheet* sheet = page->GetSheet();
    char text[80];
    ::GetDlgItemTextA(page->m_hWnd, controlId, text, sizeof text);
    if (text[0] != '\0') {
        if (sheet)
            sheet->NextPage(0);
        return;
    }
    if (sheet)
        sheet->ShowMessage(messageId);
    ::SetFocus(::GetDlgItem(page->m_hWnd, controlId));
}

}  // namespace

void FaxDigits(const char* areaCode, const char* faxNumber, char* out, int size)
{
    int n = 0;
    for (const char* part : {areaCode, faxNumber})
        for (const char* c = part; *c && n < size - 1; c++)
            if (*c >= '0' && *c <= '9')
                out[n++] = *c;
    out[n] = '\0';
}

WelcomePage::WelcomePage(CWnd* sheet) : SetupPage(28678)
{
    Create(IDD_WELCOME_PAGE, sheet);
}

BOOL WelcomePage::OnInitDialog()
{
    BOOL result = SetupPage::OnInitDialog();
    CString product = LoadText(IDS_PRODUCT_NAME);
    char text[256];
    std::snprintf(text, sizeof text, LoadText(IDS_CONGRATULATIONS), (const char*)product);
    SetDlgItemText(IDC_WELCOME_GREETING, text);

    CString format = LoadText(IDS_PRODUCT_PITCH) + "  " + LoadText(IDS_PRODUCT_EASE);
    std::snprintf(text, sizeof text, format, (const char*)product,
                  (const char*)LoadText(IDS_PRODUCT_NAME2));
    SetDlgItemText(IDC_WELCOME_PRODUCT, text);
    return result;
}

IdentityPage::IdentityPage(CWnd* sheet) : SetupPage(28677)
{
    Create(IDD_IDENTITY_PAGE, sheet);
}

BOOL IdentityPage::OnInitDialog()
{
    BOOL result = SetupPage::OnInitDialog();
    LoadEditItems(this, kIdentityItems, kIdentityCount);
    return result;
}

void IdentityPage::OnNext()
{
    NextIfFilled(this, IDC_AREA_CODE, IDS_NEED_AREA_CODE);
}

void IdentityPage::CommitPage()
{
    StoreEditItems(this, kIdentityItems, kIdentityCount);
    char areaCode[80], fax[80];
    ::GetDlgItemTextA(m_hWnd, IDC_AREA_CODE, areaCode, sizeof areaCode);
    ::GetDlgItemTextA(m_hWnd, IDC_FAX_NUMBER, fax, sizeof fax);
    if (fax[0] == '\0')
        return;
    char digits[160];
    FaxDigits(areaCode, fax, digits, sizeof digits);
    CQSetupProfile profile(0);
    profile.SetProfile(eSS_FaxDigits, digits, 0);
}

AddressPage::AddressPage(CWnd* sheet) : SetupPage(28673)
{
    Create(IDD_ADDRESS_PAGE, sheet);
}

BOOL AddressPage::OnInitDialog()
{
    BOOL result = SetupPage::OnInitDialog();
    LoadEditItems(this, kAddressItems, kAddressCount);
    char country[61];
    {
        CQSetupProfile profile(0);
        profile.GetProfile(eSS_Country, country, sizeof country, eDefaultsNone);
    }
    if (country[0] == '\0')
        GetProfileStringA("intl", "sCountry", "U.S.A.", country, sizeof country);
    SetDlgItemText(IDC_COUNTRY, country);
    return result;
}

void AddressPage::OnNext()
{
    NextIfFilled(this, IDC_CITY, IDS_NEED_CITY);
}

void AddressPage::CommitPage()
{
    StoreEditItems(this, kAddressItems, kAddressCount);
}
