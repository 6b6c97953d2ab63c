#include "wizard_sheet.h"
#include "resource.h"
#include <cstring>

WizardPageList::~WizardPageList()
{
    for (int i = 0; i < GetSize(); i++)
        delete GetAt(i);
    RemoveAll();
}

WizardSheet::WizardSheet(UINT templateId, CWnd* owner)
    : WizardDialog(templateId, owner, 0, PlaceOnScreen)
{
    lstrcpynA(m_doneCaption, "&Done", sizeof m_doneCaption);
    lstrcpynA(m_nextCaption, "&Next >", sizeof m_nextCaption);
}

WizardPageEntry* WizardSheet::GetEntry(int index) const
{
    return index >= 0 && index < m_pages.GetSize() ? m_pages.Entry(index) : nullptr;
}

int WizardSheet::DoModal()
{
    if (!Create(m_templateId, m_pParentWnd))
        return 2;
    m_bRunning = TRUE;
    ShowWindow(SW_SHOW);
    if (m_pParentWnd)
        m_pParentWnd->EnableWindow(FALSE);
    EnableWindow(TRUE);

    // Messages are taken as they come; when the queue is empty the loop
    // sleeps until one arrives instead of spinning.
    while (m_bRunning) {
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            WaitMessage();
            continue;
        }
        if (m_pageCount > 0) {
            WizardPageEntry* entry = GetEntry(m_cursor);
            if (entry && IsDialogMessageA(entry->m_pPage->m_hWnd, &msg))
                continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    if (m_pParentWnd)
        m_pParentWnd->EnableWindow(TRUE);
    DestroyWindow();
    return m_result;
}

BOOL WizardSheet::OnInitDialog()
{
    WizardDialog::OnInitDialog();
    if (GetDlgItem(IDC_PICTURE)) {
        m_picture.SubclassDlgItem(IDC_PICTURE, this);
        m_picture.EnableWindow(FALSE);
    }
    if (m_pageCount > 0)
        ShowPage(m_cursor, TRUE);
    return TRUE;
}

void WizardSheet::OnOK()
{
    m_result = 1;
    for (int i = 0; i < m_pageCount; i++)
        m_pages.Entry(i)->m_pPage->UpdateData(TRUE);
    m_bRunning = FALSE;
}

void WizardSheet::OnCancel()
{
    m_bRunning = FALSE;
    m_result = 0;
}

void WizardSheet::EndWizard(int result)
{
    m_bRunning = FALSE;
    m_result = result;
}

WizardPage* WizardSheet::AddPage(WizardPage* page, BOOL enabled, UINT bitmapId)
{
    if (!page || !page->m_hWnd)
        return nullptr;
    WizardPageEntry* entry = new WizardPageEntry;
    entry->m_pPage = PlacePage(page, this);
    if (!entry->m_pPage) {
        delete entry;
        return nullptr;
    }
    entry->m_bEnabled = enabled;
    entry->m_bitmapId = bitmapId;
    m_pages.SetAtGrow(m_pageCount, entry);
    if (m_pageCount == 0) {
        m_cursor = 0;
        if (CWnd* back = page->GetDlgItem(IDC_WIZARD_BACK))
            back->EnableWindow(FALSE);
    }
    m_pageCount++;
    return page;
}

WizardPage* WizardSheet::PlacePage(WizardPage* page, CWnd* parent)
{
    RECT parentClient, pageClient;
    parent->GetClientRect(&parentClient);
    page->GetClientRect(&pageClient);
    page->SetParent(parent);
    ::SetWindowPos(page->m_hWnd, HWND_BOTTOM, parentClient.right - pageClient.right, 0,
                   pageClient.right, pageClient.bottom, SWP_NOREDRAW | SWP_NOACTIVATE);
    page->ShowWindow(SW_HIDE);
    return page;
}

BOOL WizardSheet::ShowPage(int index, BOOL forward)
{
    WizardPageEntry* entry = GetEntry(index);
    if (!entry || !entry->m_bEnabled)
        return FALSE;
    WizardPage* page = entry->m_pPage;
    if (page == m_pCurrentPage)
        return TRUE;
    if (entry->m_bitmapId)
        m_picture.LoadPicture(entry->m_bitmapId);
    const UINT defaultButton = forward || index == 0 ? IDC_WIZARD_NEXT : IDC_WIZARD_BACK;
    page->SendMessage(DM_SETDEFID, defaultButton, 0);

    if (m_pCurrentPage)
        m_pCurrentPage->ShowWindow(SW_HIDE);
    m_pCurrentPage = page;
    page->ShowWindow(SW_SHOW);
    page->SetFocus();
    m_shownIndex = m_cursor = index;
    Invalidate(TRUE);
    return TRUE;
}

void WizardSheet::NextPage(int target)
{
    WizardPageEntry* entry = GetEntry(m_cursor);
    if (entry && entry->m_bFinal) {
        OnOK();
        return;
    }
    if (target != 0) {
        ShowPage(target, TRUE);
        return;
    }
    while (m_cursor < m_pageCount - 1) {
        m_cursor++;
        if (ShowPage(m_cursor, TRUE))
            return;
    }
    OnOK();
}

void WizardSheet::PreviousPage(int target)
{
    if (target != 0) {
        ShowPage(target, FALSE);
        return;
    }
    while (m_cursor > 0) {
        m_cursor--;
        if (ShowPage(m_cursor, FALSE))
            return;
    }
}

void WizardSheet::ShowMessage(UINT stringId)
{
    CString text, caption;
    text.LoadString(stringId);
    caption.LoadString(IDS_ERROR);
    MessageBox(text, caption, MB_OK | MB_ICONEXCLAMATION);
}

void WizardSheet::SetPageEnabled(int index, BOOL enabled)
{
    WizardPageEntry* entry = GetEntry(index);
    if (!entry || entry->m_pPage == m_pCurrentPage || !entry->m_bEnabled == !enabled)
        return;
    entry->m_bEnabled = enabled;
    if (m_hWnd && IsWindowVisible())
        Invalidate(TRUE);
}

void WizardSheet::SetFinalPage(int index, BOOL final)
{
    if (index == kLastPage)
        index = m_pageCount - 1;
    WizardPageEntry* entry = GetEntry(index);
    if (!entry)
        return;
    entry->m_bFinal = final;
    entry->m_pPage->SetDlgItemText(IDC_WIZARD_NEXT, final ? m_doneCaption : m_nextCaption);
}

void WizardSheet::SetDoneCaption(const char* text)
{
    lstrcpynA(m_doneCaption, text ? text : "", 20);
}

LRESULT WizardSheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // MFC's help requests go to the page the user sees.
    if (message == WM_COMMANDHELP || message == WM_HELPHITTEST)
        return m_pCurrentPage ? m_pCurrentPage->SendMessage(message, wParam, lParam) : 0;
    return WizardDialog::WindowProc(message, wParam, lParam);
}

BOOL WizardSheet::OnEraseBkgnd(HDC dc)
{
    RECT clip;
    GetClipBox(dc, &clip);
    HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    HGDIOBJ previous = SelectObject(dc, face);
    PatBlt(dc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, PATCOPY);
    SelectObject(dc, previous);
    DeleteObject(face);
    return TRUE;
}

int WizardSheet::OnMouseActivate(HWND, UINT, UINT)
{
    return MA_ACTIVATE;
}

void WizardSheet::OnSetFocus(HWND previous)
{
    Default();
    if (m_pCurrentPage)
        m_pCurrentPage->SetFocus();
}

void WizardSheet::OnSize(UINT type, int cx, int cy)
{
    Default();
    m_clientWidth = cx;
    m_clientHeight = cy;
    for (int i = 0; i < m_pageCount; i++)
        m_pages.Entry(i)->m_pPage->SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER);
}

// The sheet's half of the etched line: from the picture's left edge to the
// page, at the height the page draws its half.
void WizardSheet::OnPaint()
{
    Default();
    WizardPageEntry* shown = GetEntry(m_shownIndex);
    if (!m_picture.m_hWnd || !m_pCurrentPage || !shown)
        return;
    HWND help = ::GetDlgItem(shown->m_pPage->m_hWnd, IDC_WIZARD_HELP);
    if (!help)
        return;
    RECT sheetRect, helpRect, pageRect, pictureRect;
    GetWindowRect(&sheetRect);
    ::GetWindowRect(help, &helpRect);
    shown->m_pPage->GetWindowRect(&pageRect);
    m_picture.GetWindowRect(&pictureRect);
    const int frame = GetSystemMetrics(SM_CXDLGFRAME);
    const int xStart = pictureRect.left - sheetRect.left - frame;
    const int xEnd = pageRect.left - sheetRect.left - frame;
    const int y = helpRect.top - pageRect.top - 8;

    CClientDC dc(this);
    CPen shadow(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    CPen highlight(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    CPen* previous = dc.SelectObject(&shadow);
    dc.MoveTo(xStart, y);
    dc.LineTo(xEnd, y);
    dc.SelectObject(&highlight);
    dc.MoveTo(xStart - 1, y + 1);
    dc.LineTo(xEnd, y + 1);
    dc.SelectObject(previous);
}
