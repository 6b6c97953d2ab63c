// WizardPage: one page of a wizard, a child dialog of its WizardSheet.
// Its own template holds the Back, Next and Help buttons.
#ifndef QVWIZ_WIZARD_PAGE_H
#define QVWIZ_WIZARD_PAGE_H

#include "wizard_dialog.h"

class WizardSheet;

class WizardPage : public WizardDialog {
public:
    explicit WizardPage(UINT helpContext);

    BOOL OnInitDialog() override;
    // Escape and Cancel end the wizard through the sheet.
    void OnCancel() override;

    // Writes the page's values to their store when the wizard finishes.
    virtual void CommitPage() {}
    // Next and Back. Pages that validate their fields override OnNext and
    // call this one when the fields are good.
    virtual void OnNext();
    virtual void OnBack();

    // The sheet the page belongs to (its parent window), or null.
    WizardSheet* GetSheet() const;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnPaint() override;
};

#endif
