#include "afxwin.h"
#include <map>

// The window property that links a window to its CWnd.
static const char kObjectProperty[] = "QvAfxWnd";

// This module's links, kept beside the property: under Wine reading a
// property is a round trip to the server, and every message to one of our
// windows looks its object up (a percent bar's repaint twice). The entries
// follow Attach and Detach, and AfxWndProc detaches on WM_NCDESTROY, so a
// window never outlives its entry.
static std::map<HWND, CWnd*>& PermanentMap()
{
    static std::map<HWND, CWnd*> map;
    return map;
}

// Objects made by FromHandle for windows that have none of their own.
static std::map<HWND, CWnd*>& TempMap()
{
    static std::map<HWND, CWnd*> map;
    return map;
}

WNDPROC AfxGetAfxWndProc()
{
    return AfxWndProc;
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    auto linked = PermanentMap().find(hwnd);
    if (linked != PermanentMap().end())
        return linked->second;
    // Linked by another module's copy of this layer, or not at all.
    return static_cast<CWnd*>(GetPropA(hwnd, kObjectProperty));
}

CWnd* CWnd::FromHandle(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    if (CWnd* permanent = FromHandlePermanent(hwnd))
        return permanent;
    CWnd*& temp = TempMap()[hwnd];
    if (!temp) {
        temp = new CWnd;
        temp->m_hWnd = hwnd;
        temp->m_temporary = true;
    }
    return temp;
}

void CWnd::DeleteTempMap()
{
    for (auto& entry : TempMap()) {
        entry.second->m_hWnd = nullptr;
        delete entry.second;
    }
    TempMap().clear();
}

CWnd::~CWnd()
{
    if (m_hWnd && !m_temporary) {
        // Unlink first: the derived parts of this object are gone, so no
        // message may reach it through WindowProc any more.
        HWND hwnd = m_hWnd;
        if (m_pfnSuper)
            UnsubclassWindow();
        else
            Detach();
        ::DestroyWindow(hwnd);
    }
}

BOOL CWnd::Attach(HWND hwnd)
{
    if (!hwnd || m_hWnd || FromHandlePermanent(hwnd))
        return FALSE;
    if (!SetPropA(hwnd, kObjectProperty, this))
        return FALSE;
    PermanentMap()[hwnd] = this;
    m_hWnd = hwnd;
    // A temporary object for the same window is no longer what FromHandle gives.
    auto temp = TempMap().find(hwnd);
    if (temp != TempMap().end()) {
        temp->second->m_hWnd = nullptr;
        delete temp->second;
        TempMap().erase(temp);
    }
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hwnd = m_hWnd;
    if (hwnd) {
        RemovePropA(hwnd, kObjectProperty);
        PermanentMap().erase(hwnd);
    }
    m_hWnd = nullptr;
    return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd)
{
    if (!Attach(hwnd))
        return FALSE;
    WNDPROC previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc)));
    WNDPROC* super = GetSuperWndProcAddr();
    // Several objects of one class may share the slot; the first one fills it.
    if (!*super)
        *super = previous;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    HWND control = ::GetDlgItem(parent->m_hWnd, id);
    return control ? SubclassWindow(control) : FALSE;
}

HWND CWnd::UnsubclassWindow()
{
    WNDPROC super = *GetSuperWndProcAddr();
    if (m_hWnd && super &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC)) == AfxWndProc)
        SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
    return Detach();
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

void CWnd::GetWindowText(CString& text) const
{
    int length = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, text.GetBuffer(length + 1), length + 1);
    text.ReleaseBuffer();
}

int CWnd::GetDlgItemText(int id, CString& text) const
{
    HWND control = ::GetDlgItem(m_hWnd, id);
    int length = control ? ::GetWindowTextLengthA(control) : 0;
    ::GetDlgItemTextA(m_hWnd, id, text.GetBuffer(length + 1), length + 1);
    text.ReleaseBuffer();
    return text.GetLength();
}

BOOL CWnd::SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags)
{
    return ::SetWindowPos(m_hWnd, after ? after->m_hWnd : nullptr, x, y, cx, cy, flags);
}

static void SendToChildren(HWND parent, UINT message, WPARAM wParam, LPARAM lParam,
                           BOOL deep, BOOL onlyPermanent)
{
    for (HWND child = ::GetTopWindow(parent); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!onlyPermanent || CWnd::FromHandlePermanent(child))
            ::SendMessageA(child, message, wParam, lParam);
        if (deep && ::GetTopWindow(child))
            SendToChildren(child, message, wParam, lParam, deep, onlyPermanent);
    }
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam,
                                    BOOL deep, BOOL onlyPermanent)
{
    SendToChildren(m_hWnd, message, wParam, lParam, deep, onlyPermanent);
}

BOOL CWnd::UpdateData(BOOL save)
{
    CDataExchange dx(this, save);
    DoDataExchange(&dx);
    return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC super = *GetSuperWndProcAddr();
    if (super)
        return ::CallWindowProcA(super, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (OnCommand(wParam, lParam))
            return 0;
        break;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), (short)LOWORD(lParam), (short)HIWORD(lParam));
        return 0;
    case WM_SETFOCUS:
        OnSetFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_MOUSEACTIVATE:
        return OnMouseActivate(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));
    case WM_DRAWITEM:
        OnDrawItem(static_cast<int>(wParam), reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_MEASUREITEM:
        OnMeasureItem(static_cast<int>(wParam), reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    }
    return Default();
}

BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(HDC) { return static_cast<BOOL>(Default()); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnSetFocus(HWND) { Default(); }
int CWnd::OnMouseActivate(HWND, UINT, UINT) { return static_cast<int>(Default()); }

// Owner-drawn combo boxes draw themselves: the parent hands the request on.
void CWnd::OnDrawItem(int, DRAWITEMSTRUCT* item)
{
    if (auto* combo = dynamic_cast<CComboBox*>(FromHandlePermanent(item->hwndItem)))
        combo->DrawItem(item);
    else
        Default();
}

void CWnd::OnMeasureItem(int id, MEASUREITEMSTRUCT* item)
{
    if (auto* combo = dynamic_cast<CComboBox*>(FromHandlePermanent(::GetDlgItem(m_hWnd, id))))
        combo->MeasureItem(item);
    else
        Default();
}

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    if (!wnd)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);

    CWnd::CurrentMessage saved = wnd->m_current;
    wnd->m_current = {message, wParam, lParam};
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    wnd->m_current = saved;

    if (message == WM_NCDESTROY) {
        // The window is gone: unlink, then let the object clean up (it may
        // delete itself, so nothing touches it afterwards).
        wnd->UnsubclassWindow();
        wnd->PostNcDestroy();
    }
    return result;
}
