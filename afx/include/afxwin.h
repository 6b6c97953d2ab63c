// Windows and dialogs. Each CWnd is linked to its window through a window
// property; one window procedure (AfxWndProc) finds the object and calls
// its virtual WindowProc, which dispatches to the virtual On... handlers.
// A handler that wants the window's own behaviour calls Default().
#ifndef AFXWIN_H
#define AFXWIN_H

#include "afxstr.h"
#include "afxgdi.h"

// Process-wide state of the layer. m_hCurrentResourceHandle is the module
// in which dialog templates, strings and bitmaps are looked up first; a
// DLL switches it to itself while it shows its own dialogs.
struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentInstanceHandle;
    HINSTANCE m_hCurrentResourceHandle;
};

AFX_MODULE_STATE* AfxGetAppState();
AFX_MODULE_STATE* AfxGetModuleState();
HINSTANCE AfxGetResourceHandle();
HINSTANCE AfxGetInstanceHandle();
// The module that holds the resource: the current resource handle if it
// has it, else the program's own module.
HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type);
// The window procedure of every window linked to a CWnd.
WNDPROC AfxGetAfxWndProc();
LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

class CDataExchange;

class CWnd : public CObject {
public:
    CWnd() {}
    ~CWnd() override;

    // The object linked to hwnd; for a window without one, a temporary
    // object kept until DeleteTempMap. NULL for a NULL handle.
    static CWnd* FromHandle(HWND hwnd);
    static CWnd* FromHandlePermanent(HWND hwnd);
    static void DeleteTempMap();

    HWND GetSafeHwnd() const { return m_hWnd; }

    // Linking and unlinking. SubclassWindow routes an existing window's
    // messages through AfxWndProc, keeping its procedure for Default().
    BOOL Attach(HWND hwnd);
    HWND Detach();
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();
    virtual BOOL DestroyWindow();

    // Thin wrappers of the USER calls.
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd* SetParent(CWnd* parent) { return FromHandle(::SetParent(m_hWnd, parent ? parent->m_hWnd : nullptr)); }
    CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE)
        { ::MoveWindow(m_hWnd, x, y, width, height, repaint); }
    BOOL SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags);
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
        { return ::SendMessageA(m_hWnd, message, wParam, lParam); }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
        { return ::PostMessageA(m_hWnd, message, wParam, lParam); }
    // Sends to every child (deep: and their children); onlyPermanent skips
    // windows not linked to an object.
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                                  BOOL deep = TRUE, BOOL onlyPermanent = FALSE);
    void SetFont(HFONT font, BOOL redraw = TRUE) { SendMessage(WM_SETFONT, (WPARAM)font, redraw); }
    HFONT GetFont() const { return (HFONT)::SendMessageA(m_hWnd, WM_GETFONT, 0, 0); }
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK)
        { return ::MessageBoxA(m_hWnd, text, caption, type); }

    void SetDlgItemText(int id, const char* text) { ::SetDlgItemTextA(m_hWnd, id, text); }
    int GetDlgItemText(int id, CString& text) const;
    void CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }
    UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }

    // Moves data between controls and members (DoDataExchange); save TRUE
    // reads the controls.
    BOOL UpdateData(BOOL save = TRUE);

    HWND m_hWnd = nullptr;

protected:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend class CDialog;

    // Where the window's previous procedure is kept for Default(). A class
    // that subclasses controls of one kind may keep it elsewhere.
    virtual WNDPROC* GetSuperWndProcAddr() { return &m_pfnSuper; }
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window's own handling of the message being processed.
    LRESULT Default();
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the last message (WM_NCDESTROY), when the object is unlinked.
    virtual void PostNcDestroy() {}
    virtual void DoDataExchange(CDataExchange*) {}

    // Handlers WindowProc dispatches to. Each one's base does Default().
    // OnCommand returns TRUE when it handled the command.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual void OnPaint();
    virtual BOOL OnEraseBkgnd(HDC dc);
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnSetFocus(HWND previous);
    virtual int OnMouseActivate(HWND topLevel, UINT hitTest, UINT message);
    virtual void OnDrawItem(int id, DRAWITEMSTRUCT* item);
    virtual void OnMeasureItem(int id, MEASUREITEMSTRUCT* item);

    WNDPROC m_pfnSuper = nullptr;

private:
    struct CurrentMessage { UINT message; WPARAM wParam; LPARAM lParam; };
    CurrentMessage m_current = {0, 0, 0};
    bool m_temporary = false;
};

class CDialog : public CWnd {
public:
    CDialog() {}
    CDialog(UINT templateId, CWnd* parent = nullptr)
        : m_pParentWnd(parent), m_templateId(templateId) {}

    // A modeless dialog from a template of the current resource module.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    virtual int DoModal();
    void EndDialog(int result);

    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK();
    virtual void OnCancel();

    // The window a dialog created from a template reports as its parent.
    CWnd* m_pParentWnd = nullptr;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    UINT m_templateId = 0;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// Data exchange between a dialog's controls and variables.
class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL save) : m_bSaveAndValidate(save), m_pDlgWnd(dialog) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Check(CDataExchange* dx, int id, int& value);

// Controls, each a thin wrapper of its messages.
class CButton : public CWnd {
public:
    int GetCheck() const { return (int)::SendMessageA(m_hWnd, BM_GETCHECK, 0, 0); }
    void SetCheck(int check) { ::SendMessageA(m_hWnd, BM_SETCHECK, check, 0); }
};

class CEdit : public CWnd {
public:
    void LimitText(int count) { SendMessage(EM_LIMITTEXT, count); }
    void SetSel(int start, int end) { SendMessage(EM_SETSEL, start, end); }
};

class CComboBox : public CWnd {
public:
    int AddString(const char* text) { return (int)SendMessage(CB_ADDSTRING, 0, (LPARAM)text); }
    int InsertString(int index, const char* text) { return (int)SendMessage(CB_INSERTSTRING, index, (LPARAM)text); }
    int DeleteString(int index) { return (int)SendMessage(CB_DELETESTRING, index); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int GetCount() const { return (int)::SendMessageA(m_hWnd, CB_GETCOUNT, 0, 0); }
    int GetCurSel() const { return (int)::SendMessageA(m_hWnd, CB_GETCURSEL, 0, 0); }
    int SetCurSel(int index) { return (int)SendMessage(CB_SETCURSEL, index); }
    int FindStringExact(int start, const char* text) const
        { return (int)::SendMessageA(m_hWnd, CB_FINDSTRINGEXACT, start, (LPARAM)text); }
    int SelectString(int start, const char* text) { return (int)SendMessage(CB_SELECTSTRING, start, (LPARAM)text); }
    void GetLBText(int index, CString& text) const;
    int SetItemData(int index, DWORD_PTR data) { return (int)SendMessage(CB_SETITEMDATA, index, (LPARAM)data); }
    DWORD_PTR GetItemData(int index) const { return (DWORD_PTR)::SendMessageA(m_hWnd, CB_GETITEMDATA, index, 0); }
    void LimitText(int count) { SendMessage(CB_LIMITTEXT, count); }
    // Owner-drawn combo boxes override these; the parent forwards the messages.
    virtual void DrawItem(DRAWITEMSTRUCT*) {}
    virtual void MeasureItem(MEASUREITEMSTRUCT*) {}
};

class CListBox : public CWnd {
public:
    int AddString(const char* text) { return (int)SendMessage(LB_ADDSTRING, 0, (LPARAM)text); }
    int InsertString(int index, const char* text) { return (int)SendMessage(LB_INSERTSTRING, index, (LPARAM)text); }
    int DeleteString(int index) { return (int)SendMessage(LB_DELETESTRING, index); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int GetCount() const { return (int)::SendMessageA(m_hWnd, LB_GETCOUNT, 0, 0); }
    int GetCurSel() const { return (int)::SendMessageA(m_hWnd, LB_GETCURSEL, 0, 0); }
    int SetCurSel(int index) { return (int)SendMessage(LB_SETCURSEL, index); }
    int FindStringExact(int start, const char* text) const
        { return (int)::SendMessageA(m_hWnd, LB_FINDSTRINGEXACT, start, (LPARAM)text); }
    int SelectString(int start, const char* text) { return (int)SendMessage(LB_SELECTSTRING, start, (LPARAM)text); }
    void GetText(int index, CString& text) const;
    int SetItemData(int index, DWORD_PTR data) { return (int)SendMessage(LB_SETITEMDATA, index, (LPARAM)data); }
    DWORD_PTR GetItemData(int index) const { return (DWORD_PTR)::SendMessageA(m_hWnd, LB_GETITEMDATA, index, 0); }
    int SetTopIndex(int index) { return (int)SendMessage(LB_SETTOPINDEX, index); }
};

#endif
