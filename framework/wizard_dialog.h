// WizardDialog: the base of every dialog of the library. It places the
// window against its owner or the screen, gives NT a non-bold dialog font,
// opens the suite's help on the Help button and on F1, and sets captions.
#ifndef QVWIZ_WIZARD_DIALOG_H
#define QVWIZ_WIZARD_DIALOG_H

#include <afx.h>

enum WizardPlacement {
    PlaceOverOwner = 0,       // centred over the owner
    PlaceOnScreen = 1,        // centred on the screen
    PlaceAtOwnerCorner = 2,   // offset from the owner's top-left corner
};

class WizardDialog : public CDialog {
public:
    // A dialog with its own template, run modally or created later.
    WizardDialog(UINT templateId, CWnd* owner, UINT helpContext, int placement);
    // A child dialog, created later with CDialog::Create.
    WizardDialog(UINT helpContext, int placement);
    ~WizardDialog() override;

    BOOL OnInitDialog() override;
    // The Help button: opens the suite's help at this dialog's context.
    void OnHelp();
    // Sets the title and has the caption repainted.
    void SetCaption(const char* text);

    int GetPlacement() const { return m_placement; }
    UINT GetHelpContext() const { return m_helpContext; }
    BOOL IsWindows95() const { return m_bWindows95; }
    HFONT GetReplacementFont() const { return m_hReplacementFont; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    HFONT ReplaceFont();
    void Place(CWnd* owner);
    void InstallF1Hook();
    static LRESULT CALLBACK F1HookProc(int code, WPARAM wParam, LPARAM lParam);

    int m_placement;
    UINT m_helpContext;
    HHOOK m_hHook = nullptr;
    HOOKPROC m_pfnHook = nullptr;
    BOOL m_bWindows95 = FALSE;
    HFONT m_hReplacementFont = nullptr;
};

#endif
