#include "percent_bar.h"
#include <cstdio>

namespace {

const char kClassName[] = "CQPercentBar";

// The "static" class's procedure: every message the bar does not paint.
WNDPROC g_staticProc = nullptr;

void DrawLine(CDC& dc, int color, int x0, int y0, int x1, int y1, int x2, int y2)
{
    CPen pen(PS_SOLID, 1, ::GetSysColor(color));
    HGDIOBJ previous = dc.SelectObject(pen.m_hObject);
    dc.MoveTo(x0, y0);
    dc.LineTo(x1, y1);
    dc.MoveTo(x0, y0);
    dc.LineTo(x2, y2);
    dc.SelectObject(previous);
}

void DrawText(CDC& dc, int color, int x, int y, const RECT& clip, const char* text)
{
    ::SetTextColor(dc, ::GetSysColor(color));
    ::ExtTextOutA(dc, x, y, ETO_CLIPPED, &clip, text, lstrlenA(text), nullptr);
}

}  // namespace

LRESULT CALLBACK PercentBarClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CQPercentBar* bar = new CQPercentBar;
    if (!bar->Attach(hwnd)) {
        delete bar;
        return ::CallWindowProcA(g_staticProc, hwnd, message, wParam, lParam);
    }
    bar->m_bAutoDelete = TRUE;
    ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxGetAfxWndProc()));
    return AfxGetAfxWndProc()(hwnd, message, wParam, lParam);
}

int RegisterPercentBarClass()
{
    WNDCLASSA staticClass;
    if (!::GetClassInfoA(nullptr, "static", &staticClass))
        return 0;
    if (!g_staticProc)
        g_staticProc = staticClass.lpfnWndProc;

    HINSTANCE instance = AfxGetAppState()->m_hCurrentResourceHandle;
    WNDCLASSA existing;
    if (::GetClassInfoA(instance, kClassName, &existing))
        return existing.lpfnWndProc == PercentBarClassProc;

    staticClass.lpfnWndProc = PercentBarClassProc;
    staticClass.hInstance = instance;
    staticClass.lpszClassName = kClassName;
    return ::RegisterClassA(&staticClass) != 0;
}

CQPercentBar::CQPercentBar()
{
    m_doneBrush.CreateSolidBrush(::GetSysColor(COLOR_ACTIVECAPTION));
    m_remainingBrush.CreateSolidBrush(::GetSysColor(COLOR_INACTIVECAPTION));
}

CQPercentBar::~CQPercentBar()
{
    m_doneBrush.DeleteObject();
    m_remainingBrush.DeleteObject();
}

WNDPROC* CQPercentBar::GetSuperWndProcAddr()
{
    return &g_staticProc;
}

void CQPercentBar::PostNcDestroy()
{
    if (m_bAutoDelete)
        delete this;
}

LRESULT CQPercentBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        OnPaint();
        return 0;
    }
    return Default();
}

void CQPercentBar::OnPaint()
{
    CPaintDC dc(this);
    char text[8];
    std::snprintf(text, sizeof text, "%d%%", m_percent);
    RECT client;
    GetClientRect(&client);
    const int left = client.left, top = client.top, right = client.right, bottom = client.bottom;

    // A sunken frame: the outer highlight on the right falls just outside
    // the client area, so only the inner column shows there.
    DrawLine(dc, COLOR_BTNSHADOW, left, top, right, top, left, bottom - 1);
    DrawLine(dc, COLOR_BTNHIGHLIGHT, right, bottom - 1, left - 1, bottom - 1, right, top - 1);
    DrawLine(dc, COLOR_WINDOWFRAME, left + 1, top + 1, right - 1, top + 1, left + 1, bottom - 2);
    DrawLine(dc, COLOR_BTNFACE, right - 1, bottom - 2, left, bottom - 2, right - 1, top);

    RECT interior = {left + 2, top + 2, right - 1, bottom - 2};
    int width = interior.right - interior.left;
    int height = interior.bottom - interior.top;
    int shown = m_percent < 100 ? m_percent : 100;
    int split = interior.left + width * shown / 100;

    // The text is drawn twice at one place, each time clipped to one part,
    // so each character takes the colour that reads on the part under it.
    int x = interior.left + width / 2;
    int y = height / 6;
    ::SetTextAlign(dc, TA_CENTER | TA_TOP);
    ::SetBkMode(dc, TRANSPARENT);

    RECT done = interior;
    done.right = split;
    dc.FillRect(&done, &m_doneBrush);
    DrawText(dc, COLOR_CAPTIONTEXT, x, y, done, text);

    RECT remaining = interior;
    remaining.left = split;
    if (remaining.right > remaining.left)
        dc.FillRect(&remaining, &m_remainingBrush);
    DrawText(dc, COLOR_INACTIVECAPTIONTEXT, x, y, remaining, text);
}
