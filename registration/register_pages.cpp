#include "register_pages.h"
#include "register_sheet.h"
#include "registration_record.h"
#include "answer_codes.h"
#include "oem_numbers.h"
#include "registration_ids.h"
#include "resource.h"
#include <qvcmmn32_calls.h>
#include <qvstp32_calls.h>
#include <string>

const char kDefaultRegNumber[] = "1-800-555-0199";

namespace {

// An edit of the information page, its field and how much it takes.
struct FieldEdit {
    int controlId;
    UINT field;
    int limit;
};

const FieldEdit kInfoEdits[] = {
    {IDC_REG_FIRST_NAME, 0, 30}, {IDC_REG_LAST_NAME, 1, 30}, {IDC_REG_COMPANY, 2, 30},
    {IDC_REG_PHONE, 11, 15},     {IDC_REG_FAX, 12, 15},      {IDC_REG_ADDRESS1, 3, 30},
    {IDC_REG_ADDRESS2, 4, 30},   {IDC_REG_CITY, 5, 30},      {IDC_REG_STATE, 6, 5},
    {IDC_REG_COUNTRY, 8, 30},    {IDC_REG_ZIP, 7, 20},
};

// Checked in this order; the first two are the name.
const int kRequiredInfo[] = {IDC_REG_FIRST_NAME, IDC_REG_LAST_NAME, IDC_REG_ADDRESS1,
                             IDC_REG_CITY,       IDC_REG_STATE,     IDC_REG_ZIP};

struct FieldGroup {
    AnswerGroup group;
    UINT field;
};

const FieldGroup kSurveyGroups[] = {
    {{IDC_REG_USED_FIRST, "HPUMSB", true}, 19},
    {{IDC_REG_BOUGHT_FIRST, "RIMV", true}, 22},
    {{IDC_REG_REASON_FIRST, "PBTU", false}, 23},
    {{IDC_REG_LEARNED_FIRST, "RTDIAMWP", false}, 20},
};

const FieldGroup kServicesGroups[] = {
    {{IDC_REG_SERVICE_FIRST, "LACDGMPO", false}, 29},
    {{IDC_REG_MAGAZINE_FIRST, "BFSHZICPKLAW", false}, 21},
};

int LastId(const AnswerGroup& group)
{
    return group.firstId + static_cast<int>(std::char_traits<char>::length(group.letters)) - 1;
}

void ShowGroup(CWnd* page, const FieldGroup& g, RegistrationRecord* record)
{
    const char* stored = record->GetField(g.field);
    if (g.group.radio) {
        int index = AnswerRadioIndex(g.group, stored);
        if (index >= 0)
            ::CheckRadioButton(page->m_hWnd, g.group.firstId, LastId(g.group), g.group.firstId + index);
        return;
    }
    for (int i = 0; g.group.letters[i]; i++)
        if (AnswerChecked(g.group, i, stored))
            page->CheckDlgButton(g.group.firstId + i, BST_CHECKED);
}

void StoreGroup(CWnd* page, const FieldGroup& g, RegistrationRecord* record)
{
    std::string text = EncodeAnswers(g.group, [&](int i) {
        return page->IsDlgButtonChecked(g.group.firstId + i) == BST_CHECKED;
    });
    record->SetField(g.field, text.c_str());
}

void StoreEdit(CWnd* page, int controlId, int limit, RegistrationRecord* record, UINT field)
{
    char text[64];
    ::GetDlgItemTextA(page->m_hWnd, controlId, text, limit + 1);
    record->SetField(field, text);
}

void LimitEdit(CWnd* page, int controlId, int limit)
{
    ::SendDlgItemMessageA(page->m_hWnd, controlId, EM_LIMITTEXT, limit, 0);
}

std::string ReadWholeFile(const char* path)
{
    std::string text;
    HFILE file = ::_lopen(path, OF_READ);
    if (file == HFILE_ERROR)
        return text;
    char buffer[4096];
    UINT count;
    while (text.size() < 65536 && (count = ::_lread(file, buffer, sizeof buffer)) != 0 &&
           count != UINT(HFILE_ERROR))
        text.append(buffer, count);
    ::_lclose(file);
    return text;
}

}  // namespace

RegisterInfoPage::RegisterInfoPage(CWnd* sheet, RegistrationRecord* record)
    : WizardPage(0x7010), m_pRecord(record)
{
    Create(IDD_REGISTER_INFO_PAGE, sheet);
}

BOOL RegisterInfoPage::OnInitDialog()
{
    BOOL result = WizardPage::OnInitDialog();
    CString intro;
    intro.LoadString(IDS_REG_INTRO);
    SetDlgItemText(IDC_REG_INTRO, intro);
    for (const FieldEdit& edit : kInfoEdits) {
        LimitEdit(this, edit.controlId, edit.limit);
        SetDlgItemText(edit.controlId, m_pRecord->GetField(edit.field));
    }
    return result;
}

void RegisterInfoPage::CommitPage()
{
    for (const FieldEdit& edit : kInfoEdits)
        StoreEdit(this, edit.controlId, edit.limit, m_pRecord, edit.field);
    if (m_pRecord->GetField(8)[0] == '\0')
        m_pRecord->SetField(8, "U.S.A.");
}

void RegisterInfoPage::OnNext()
{
    for (int controlId : kRequiredInfo) {
        HWND edit = ::GetDlgItem(m_hWnd, controlId);
        if (::GetWindowTextLengthA(edit) != 0)
            continue;
        bool name = controlId == IDC_REG_FIRST_NAME || controlId == IDC_REG_LAST_NAME;
        if (WizardSheet* sheet = GetSheet())
            sheet->ShowMessage(name ? IDS_REG_NEED_NAME : IDS_REG_NEED_ADDRESS);
        ::SetFocus(edit);
        ::SendMessageA(edit, EM_SETSEL, 0, -1);
        ::SendMessageA(edit, EM_SCROLLCARET, 0, 0);
        return;
    }
    WizardPage::OnNext();
}

RegisterSurveyPage::RegisterSurveyPage(CWnd* sheet, RegistrationRecord* record)
    : WizardPage(0x7013), m_pRecord(record)
{
    Create(IDD_REGISTER_SURVEY_PAGE, sheet);
}

BOOL RegisterSurveyPage::OnInitDialog()
{
    BOOL result = WizardPage::OnInitDialog();
    for (const FieldGroup& group : kSurveyGroups)
        ShowGroup(this, group, m_pRecord);
    return result;
}

void RegisterSurveyPage::CommitPage()
{
    for (const FieldGroup& group : kSurveyGroups)
        StoreGroup(this, group, m_pRecord);
}

RegisterServicesPage::RegisterServicesPage(CWnd* sheet, RegistrationRecord* record)
    : WizardPage(0x7014), m_pRecord(record)
{
    Create(IDD_REGISTER_SERVICES_PAGE, sheet);
}

BOOL RegisterServicesPage::OnInitDialog()
{
    BOOL result = WizardPage::OnInitDialog();
    LimitEdit(this, IDC_REG_EMAIL, 40);
    SetDlgItemText(IDC_REG_EMAIL, m_pRecord->GetField(9));
    for (const FieldGroup& group : kServicesGroups)
        ShowGroup(this, group, m_pRecord);
    return result;
}

void RegisterServicesPage::CommitPage()
{
    StoreEdit(this, IDC_REG_EMAIL, 40, m_pRecord, 9);
    for (const FieldGroup& group : kServicesGroups)
        StoreGroup(this, group, m_pRecord);
}

void RegNumberComboBox::AddNumber(const char* entry)
{
    NumberEntry split = SplitNumberEntry(entry);
    m_shown.Add(split.shown.c_str());
    AddString(split.dialled.c_str());
}

void RegNumberComboBox::DrawItem(DRAWITEMSTRUCT* item)
{
    if (item->itemID == UINT(-1))
        return;
    if (item->itemAction == ODA_DRAWENTIRE) {
        if (int(item->itemID) < m_shown.GetSize()) {
            const CString& text = m_shown[item->itemID];
            ::TextOutA(item->hDC, item->rcItem.left + 2, item->rcItem.top + 2, text,
                       text.GetLength());
        }
        if (item->itemState & ODS_SELECTED)
            ::InvertRect(item->hDC, &item->rcItem);
    } else if (item->itemAction == ODA_SELECT) {
        ::InvertRect(item->hDC, &item->rcItem);
    }
}

void RegNumberComboBox::MeasureItem(MEASUREITEMSTRUCT* item)
{
    UINT height = HIWORD(::GetDialogBaseUnits());
    item->itemHeight = item->itemID == UINT(-1) ? height - height / 8 : height;
}

RegisterDialPage::RegisterDialPage(CWnd* sheet, RegistrationRecord* record)
    : WizardPage(0x7016), m_pRecord(record)
{
    Create(IDD_REGISTER_DIAL_PAGE, sheet);
}

RegisterWizardSheet* RegisterDialPage::Sheet() const
{
    return dynamic_cast<RegisterWizardSheet*>(GetSheet());
}

BOOL RegisterDialPage::OnInitDialog()
{
    m_numbers.SubclassDlgItem(IDC_REG_NUMBER_LIST, this);
    BOOL result = WizardPage::OnInitDialog();
    LimitEdit(this, IDC_REG_NUMBER_EDIT, 32);
    LimitEdit(this, IDC_REG_PREFIX, 32);
    m_numbers.LimitText(32);

    char directory[MAX_PATH], path[MAX_PATH];
    {
        CQSetupProfile profile(0);
        profile.GetProfile(eLS_SuiteDir, directory, sizeof directory, eDefaultsNone);
    }
    MakePath(path, directory, "OEM.CFG");
    OemNumbers numbers = ReadOemNumbers(ReadWholeFile(path));
    for (const std::string& entry : numbers.list)
        m_numbers.AddNumber(entry.c_str());

    HWND edit = ::GetDlgItem(m_hWnd, IDC_REG_NUMBER_EDIT);
    m_bListInUse = numbers.single.empty() && !numbers.list.empty();
    ::ShowWindow(edit, m_bListInUse ? SW_HIDE : SW_SHOW);
    m_numbers.ShowWindow(m_bListInUse ? SW_SHOW : SW_HIDE);
    if (m_bListInUse)
        m_numbers.SetCurSel(0);
    else
        ::SetWindowTextA(edit, numbers.single.empty() ? kDefaultRegNumber : numbers.single.c_str());
    return result;
}

void RegisterDialPage::CommitPage()
{
    RegisterWizardSheet* sheet = Sheet();
    if (!sheet)
        return;
    char prefix[32], number[32];
    ::GetDlgItemTextA(m_hWnd, IDC_REG_PREFIX, prefix, sizeof prefix);
    ::GetDlgItemTextA(m_hWnd, m_bListInUse ? IDC_REG_NUMBER_LIST : IDC_REG_NUMBER_EDIT, number,
                      sizeof number);
    lstrcpyA(sheet->m_dialString, prefix);
    lstrcatA(sheet->m_dialString, number);
}

void RegisterDialPage::OnNext()
{
    RegisterWizardSheet* sheet = Sheet();
    if (!sheet)
        return;
    sheet->EnableWindow(FALSE);
    if (::GetWindowTextLengthA(::GetDlgItem(m_hWnd, IDC_REG_NUMBER_EDIT)) == 0 &&
        m_numbers.GetWindowTextLength() == 0)
        sheet->ShowMessage(IDS_REG_NEED_NUMBER);
    else if (sheet->RegisterNow())
        WizardPage::OnNext();
    sheet->EnableWindow(TRUE);
}

// Tabbing into the number leaves it unselected, so typing adds to it.
BOOL RegisterDialPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDC_REG_NUMBER_LIST && HIWORD(wParam) == CBN_SETFOCUS) {
        m_numbers.SendMessage(CB_SETEDITSEL, 0, 0x0000FFFF);
        return TRUE;
    }
    if (LOWORD(wParam) == IDC_REG_NUMBER_EDIT && HIWORD(wParam) == EN_SETFOCUS) {
        ::SendMessageA(reinterpret_cast<HWND>(lParam), EM_SETSEL, WPARAM(-1), 0);
        ::SendMessageA(reinterpret_cast<HWND>(lParam), EM_SCROLLCARET, 0, 0);
        return TRUE;
    }
    return WizardPage::OnCommand(wParam, lParam);
}
