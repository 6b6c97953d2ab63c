// GDI objects and device contexts. Each object owns its handle: the
// destructor deletes what the object created or was given with Attach.
#ifndef AFXGDI_H
#define AFXGDI_H

#include "afxstr.h"

class CGdiObject : public CObject {
public:
    ~CGdiObject() override { DeleteObject(); }
    BOOL Attach(HGDIOBJ object);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    int GetObject(int size, void* buffer) const;
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    HGDIOBJ m_hObject = nullptr;
};

class CBitmap : public CGdiObject {
public:
    BOOL LoadBitmap(UINT id);
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
    BOOL CreateCompatibleBitmap(class CDC* dc, int width, int height);
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

class CPen : public CGdiObject {
public:
    CPen() {}
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    BOOL CreatePen(int style, int width, COLORREF color);
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
};

class CBrush : public CGdiObject {
public:
    CBrush() {}
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    BOOL CreateSolidBrush(COLORREF color);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class CFont : public CGdiObject {
public:
    BOOL CreateFontIndirect(const LOGFONTA* font);
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CWnd;

// A device context. m_hAttribDC is the context asked for attributes such as
// the mapping mode; for the contexts made here it is the same as m_hDC.
class CDC : public CObject {
public:
    ~CDC() override { DeleteDC(); }
    BOOL Attach(HDC dc);
    HDC Detach();
    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();
    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }

    CBitmap* SelectObject(CBitmap* bitmap);
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }

    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, DWORD rop);
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop);
    void FillRect(const RECT* rect, CBrush* brush);
    BOOL MoveTo(int x, int y);
    BOOL LineTo(int x, int y);
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    int SetMapMode(int mode);
    int GetMapMode() const;
    void DPtoLP(POINT* points, int count = 1) const;
    void DPtoLP(SIZE* size) const;
    int GetClipBox(RECT* rect) const;

    HDC m_hDC = nullptr;
    HDC m_hAttribDC = nullptr;

protected:
    // The objects the context held before the typed SelectObject calls;
    // not owned (ReleasePrevious lets go of them).
    CBitmap m_previousBitmap;
    CPen m_previousPen;
    CBrush m_previousBrush;
    void ReleasePrevious();

private:
    bool m_created = false;
};

// The context of BeginPaint / EndPaint.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* window);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;
private:
    HWND m_hWnd;
};

// The client-area context of GetDC / ReleaseDC.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* window);
    ~CClientDC() override;
private:
    HWND m_hWnd;
};

#endif
