// "Registering" (template 115): the modeless dialog that shows what the
// registration call is doing, a percent bar and a Cancel button that turns
// into "&OK" at the end. The button only raises the stop flag; the call
// reads it between its waits.
#ifndef QVWIZ_PROGRESS_DIALOG_H
#define QVWIZ_PROGRESS_DIALOG_H

#include "wizard_dialog.h"

class CQPercentBar;

class RegisterProgressDialog : public WizardDialog {
public:
    // Creates the window over parent and disables parent.
    explicit RegisterProgressDialog(CWnd* parent);
    // Enables the parent again; the window goes with the object.
    ~RegisterProgressDialog() override;

    void SetStatus(UINT stringId);
    void SetStatusText(const char* text);
    // Repaints the bar only when the value changed; shown clamped to 0-100.
    void SetPercent(int value);
    // The button becomes "&OK".
    void SetFinished();
    BOOL StopRequested() const { return m_bStop; }

    // Cancel, later OK, and Escape.
    void OnCancel() override;

private:
    BOOL m_bStop = FALSE;
    int m_lastPercent = -1;
    BOOL m_bHasPercent = FALSE;
    BOOL m_bInProgress = TRUE;
    CQPercentBar* m_pBar = nullptr;
    CWnd* m_pParent;
};

#endif
