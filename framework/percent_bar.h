// CQPercentBar: a sunken two-colour bar with the percentage written across
// it, usable from a dialog template as a control of class "CQPercentBar".
// The class is a copy of the system "static" class whose procedure makes
// the object on the window's first message and then hands the window to
// the layer's common window procedure.
#ifndef QVWIZ_PERCENT_BAR_H
#define QVWIZ_PERCENT_BAR_H

#include <afx.h>

class CQPercentBar : public CWnd {
public:
    CQPercentBar();
    ~CQPercentBar() override;

    // 0 to 100 by convention; the owner stores it, then invalidates (with
    // erase) and updates the window.
    int m_percent = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    WNDPROC* GetSuperWndProcAddr() override;
    void PostNcDestroy() override;
    void OnPaint() override;

private:
    friend LRESULT CALLBACK PercentBarClassProc(HWND, UINT, WPARAM, LPARAM);
    CBrush m_doneBrush;
    CBrush m_remainingBrush;
    BOOL m_bAutoDelete = FALSE;
};

// 1 when "CQPercentBar" is registered for the current resource module with
// this library's procedure (now or before); 0 when it cannot be, or a
// foreign class holds the name.
int RegisterPercentBarClass();

#endif
