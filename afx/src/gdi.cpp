#include "afxgdi.h"
#include "afxwin.h"

BOOL CGdiObject::Attach(HGDIOBJ object)
{
    if (!object)
        return FALSE;
    DeleteObject();
    m_hObject = object;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ object = m_hObject;
    m_hObject = nullptr;
    return object;
}

BOOL CGdiObject::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    BOOL deleted = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return deleted;
}

int CGdiObject::GetObject(int size, void* buffer) const
{
    return m_hObject ? ::GetObjectA(m_hObject, size, buffer) : 0;
}

BOOL CBitmap::LoadBitmap(UINT id)
{
    HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEA(id), RT_BITMAP);
    return Attach(::LoadBitmapA(module, MAKEINTRESOURCEA(id)));
}

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height)
{
    return Attach(::CreateCompatibleBitmap(dc->m_hDC, width, height));
}

BOOL CPen::CreatePen(int style, int width, COLORREF color)
{
    return Attach(::CreatePen(style, width, color));
}

BOOL CBrush::CreateSolidBrush(COLORREF color)
{
    return Attach(::CreateSolidBrush(color));
}

BOOL CFont::CreateFontIndirect(const LOGFONTA* font)
{
    return Attach(::CreateFontIndirectA(font));
}

BOOL CDC::Attach(HDC dc)
{
    if (!dc)
        return FALSE;
    DeleteDC();
    m_hDC = m_hAttribDC = dc;
    m_created = false;
    return TRUE;
}

HDC CDC::Detach()
{
    ReleasePrevious();
    HDC dc = m_hDC;
    m_hDC = m_hAttribDC = nullptr;
    m_created = false;
    return dc;
}

BOOL CDC::CreateCompatibleDC(CDC* dc)
{
    HDC created = ::CreateCompatibleDC(dc ? dc->m_hDC : nullptr);
    if (!created)
        return FALSE;
    Attach(created);
    m_created = true;
    return TRUE;
}

BOOL CDC::DeleteDC()
{
    ReleasePrevious();
    BOOL deleted = FALSE;
    if (m_hDC && m_created)
        deleted = ::DeleteDC(m_hDC);
    m_hDC = m_hAttribDC = nullptr;
    m_created = false;
    return deleted;
}

void CDC::ReleasePrevious()
{
    // The previous objects belong to whoever selected them first.
    m_previousBitmap.Detach();
    m_previousPen.Detach();
    m_previousBrush.Detach();
}

// The typed SelectObject calls return the object the context held before
// the first selection of that kind, which is what a drawing routine puts
// back before it ends.
template <class T>
static T* SelectTyped(HDC dc, T* object, T& original)
{
    HGDIOBJ old = ::SelectObject(dc, object ? object->m_hObject : nullptr);
    if (!old)
        return nullptr;
    if (!original.m_hObject)
        original.m_hObject = old;
    return &original;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) { return SelectTyped(m_hDC, bitmap, m_previousBitmap); }
CPen* CDC::SelectObject(CPen* pen) { return SelectTyped(m_hDC, pen, m_previousPen); }
CBrush* CDC::SelectObject(CBrush* brush) { return SelectTyped(m_hDC, brush, m_previousBrush); }

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, DWORD rop)
{
    return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, sx, sy, rop);
}

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop)
{
    return ::PatBlt(m_hDC, x, y, width, height, rop);
}

void CDC::FillRect(const RECT* rect, CBrush* brush)
{
    ::FillRect(m_hDC, rect, static_cast<HBRUSH>(brush->m_hObject));
}

BOOL CDC::MoveTo(int x, int y) { return ::MoveToEx(m_hDC, x, y, nullptr); }
BOOL CDC::LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
COLORREF CDC::SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
COLORREF CDC::GetBkColor() const { return ::GetBkColor(m_hDC); }
int CDC::SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
int CDC::GetMapMode() const { return ::GetMapMode(m_hAttribDC); }
void CDC::DPtoLP(POINT* points, int count) const { ::DPtoLP(m_hAttribDC, points, count); }
int CDC::GetClipBox(RECT* rect) const { return ::GetClipBox(m_hDC, rect); }

void CDC::DPtoLP(SIZE* size) const
{
    // A size converts as the difference of two converted points.
    POINT points[2] = {{0, 0}, {size->cx, size->cy}};
    ::DPtoLP(m_hAttribDC, points, 2);
    size->cx = points[1].x - points[0].x;
    size->cy = points[1].y - points[0].y;
}

CPaintDC::CPaintDC(CWnd* window) : m_hWnd(window->m_hWnd)
{
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    Detach();
    ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* window) : m_hWnd(window ? window->m_hWnd : nullptr)
{
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC()
{
    HDC dc = Detach();
    if (dc)
        ::ReleaseDC(m_hWnd, dc);
}
