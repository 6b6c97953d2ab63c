#include "wizard_dialog.h"
#include "platform.h"
#include "caption_bar.h"
#include "resource.h"
#if QV_HAVE_QVCMMN32
#include <qvcmmn32_calls.h>
#endif

// F1 opens the help of the dialog that most recently initialised with a
// help context: in a wizard that is the page created last.
static HWND g_f1Target = nullptr;

// One message-filter hook serves every dialog: with one hook per dialog a
// single F1 would post the help command once for each dialog alive.
static HHOOK g_f1Hook = nullptr;
static int g_f1HookUsers = 0;

WizardDialog::WizardDialog(UINT templateId, CWnd* owner, UINT helpContext, int placement)
    : CDialog(templateId, owner), m_placement(placement), m_helpContext(helpContext)
{
}

WizardDialog::WizardDialog(UINT helpContext, int placement)
    : m_placement(placement), m_helpContext(helpContext)
{
}

WizardDialog::~WizardDialog()
{
    if (m_pfnHook && --g_f1HookUsers == 0) {
        UnhookWindowsHookEx(g_f1Hook);
        g_f1Hook = nullptr;
    }
    if (m_hReplacementFont)
        DeleteObject(m_hReplacementFont);
}

BOOL WizardDialog::OnInitDialog()
{
    m_bWindows95 = IsWindows95Platform(QueryPlatform());
    if (!m_bWindows95) {
        HFONT font = ReplaceFont();
        if (font) {
            if (m_hReplacementFont)
                DeleteObject(m_hReplacementFont);
            m_hReplacementFont = font;
        }
    }
    Place(CWnd::FromHandle(::GetParent(m_hWnd)));

    BOOL result = CDialog::OnInitDialog();
    if (CWnd* help = GetDlgItem(IDC_WIZARD_HELP))
        help->ShowWindow(SW_SHOW);
    if (m_helpContext != 0)
        InstallF1Hook();
    return result;
}

// NT draws the template's font bold; the dialogs are laid out for the
// normal weight, so every control gets a copy of the font at weight 400.
HFONT WizardDialog::ReplaceFont()
{
    HFONT current = GetFont();
    LOGFONTA description;
    if (!current || GetObjectA(current, sizeof description, &description) != sizeof description)
        return nullptr;
    description.lfWeight = FW_NORMAL;
    HFONT font = CreateFontIndirectA(&description);
    if (!font)
        return nullptr;
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageToDescendants(WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE, TRUE, FALSE);
    return font;
}

void WizardDialog::Place(CWnd* owner)
{
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT dialog, ownerRect = {};
    GetWindowRect(&dialog);
    const int width = dialog.right - dialog.left;
    const int height = dialog.bottom - dialog.top;
    if (owner)
        owner->GetWindowRect(&ownerRect);
    else
        m_placement = PlaceOnScreen;

    const int captionHeight = GetSystemMetrics(SM_CYCAPTION);
    const int xOffset = captionHeight / 2 + GetSystemMetrics(SM_CYFRAME) + captionHeight;
    int yOffset = xOffset;
    if (owner && ::GetMenu(owner->m_hWnd))
        yOffset += GetSystemMetrics(SM_CYMENU);

    const int ownerWidth = ownerRect.right - ownerRect.left;
    const int ownerHeight = ownerRect.bottom - ownerRect.top;
    // An owner too short to hold the dialog below its caption gets the
    // dialog at its corner, whatever was asked for.
    if (owner && ownerHeight - yOffset < height)
        m_placement = PlaceAtOwnerCorner;

    int x, y;
    switch (m_placement) {
    case PlaceOnScreen:
        x = screenWidth / 2 - width / 2;
        y = screenHeight / 2 - height / 2;
        break;
    case PlaceAtOwnerCorner:
        x = ownerRect.left + xOffset;
        y = ownerRect.top + yOffset;
        break;
    default:
        x = ownerRect.left + (ownerWidth / 2 - width / 2);
        y = ownerRect.top + (ownerHeight / 2 - height / 2);
        break;
    }

    if (x + width > screenWidth)
        x = screenWidth - (width + GetSystemMetrics(SM_CXFRAME));
    if (y + height > screenHeight)
        y = screenHeight - (height + GetSystemMetrics(SM_CYFRAME));
    if (x < 0)
        x = GetSystemMetrics(SM_CXFRAME);
    if (y < 0)
        y = GetSystemMetrics(SM_CYFRAME);
    MoveWindow(x, y, width, height, FALSE);
}

void WizardDialog::InstallF1Hook()
{
    g_f1Target = m_hWnd;
    if (m_pfnHook)
        return;
    if (!g_f1Hook)
        g_f1Hook = SetWindowsHookExA(WH_MSGFILTER, F1HookProc, nullptr, GetCurrentThreadId());
    if (g_f1Hook) {
        m_pfnHook = F1HookProc;
        m_hHook = g_f1Hook;
        ++g_f1HookUsers;
    }
}

LRESULT CALLBACK WizardDialog::F1HookProc(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if ((code == MSGF_DIALOGBOX || code == MSGF_MENU) && msg &&
        msg->message == WM_KEYDOWN && msg->wParam == VK_F1)
        ::PostMessageA(g_f1Target, WM_COMMAND, IDC_WIZARD_HELP, 0);
    // The key itself goes on as usual.
    CallNextHookEx(g_f1Hook, code, wParam, lParam);
    return 0;
}

void WizardDialog::OnHelp()
{
    if (m_helpContext == 0)
        return;
#if QV_HAVE_QVCMMN32
    DAZadUrer(m_hWnd, m_helpContext, 0);
#endif
}

void WizardDialog::SetCaption(const char* text)
{
    SetWindowText(text);
    PostMessage(WM_NCPAINT, 0, 0);
}

// Outside Windows 95 the library draws caption and frame itself and runs
// the caption's buttons; on Windows 95 every message goes the usual way.
LRESULT WizardDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_bWindows95)
        return CDialog::WindowProc(message, wParam, lParam);
    switch (message) {
    case WM_NCPAINT:
        if (PaintCaptionBar(m_hWnd, ::GetActiveWindow() == m_hWnd))
            return 1;
        break;
    case WM_NCACTIVATE:
        if (PaintCaptionBar(m_hWnd, static_cast<BOOL>(wParam)))
            return 1;
        break;
    case WM_NCHITTEST:
        return CaptionHitTest(m_hWnd, CDialog::WindowProc(message, wParam, lParam), lParam);
    case WM_NCLBUTTONDOWN:
        if (HasCaptionBit(m_hWnd) && !::IsIconic(m_hWnd) &&
            PressCaptionButton(m_hWnd, wParam, lParam))
            return 0;
        break;
    case WM_NCLBUTTONDBLCLK:
        // Only a double-click on the system-menu box does something.
        if (HasCaptionBit(m_hWnd) && !::IsIconic(m_hWnd) && wParam == HTSYSMENU)
            SendMessage(WM_CLOSE);
        return 0;
    case WM_COMMAND:
        // Commands of the system menu the caption popped up.
        if (wParam >= SC_SIZE)
            PostMessage(WM_SYSCOMMAND, wParam, lParam);
        break;
    case WM_NCDESTROY:
        ForgetCaptionState(m_hWnd);
        break;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

BOOL WizardDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDC_WIZARD_HELP && HIWORD(wParam) <= 1) {
        OnHelp();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}
