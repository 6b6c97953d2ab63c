// The modem model page: every model of the modem database in a list, and
// "&Auto Select..." that probes the port chosen on the modem-or-port page
// and selects the model it finds, reporting in the "Modem Auto-Detect"
// dialog. On finish the selected model's record goes into the profile.
#ifndef QVWIZ_MODEM_MODEL_PAGE_H
#define QVWIZ_MODEM_MODEL_PAGE_H

#include <qvdbf32_calls.h>

#include "modem_list.h"
#include "user_pages.h"
#include "wizard_dialog.h"

// The small modeless dialog that reports an auto-select. It keeps its parent
// disabled while it lives; OK only marks it done, and so do Escape, the
// close box and Alt+F4, which would otherwise hide it and leave the page
// waiting for a done flag that never comes.
class AutoDetectDialog : public WizardDialog {
public:
    explicit AutoDetectDialog(CWnd* parent);
    ~AutoDetectDialog() override;

    void SetMessage(const char* text);
    void SetMessageId(UINT id);
    void EnableOK();
    void OnOK() override;
    void OnCancel() override;
    // Enter, Escape and Tab for this dialog when msg is one of its keys.
    BOOL TakeKey(MSG* msg);
    bool IsDone() const { return m_done != 0; }

private:
    CWnd* m_parent;
    int m_done = 1;
};

class ModemModelPage : public SetupPage {
public:
    explicit ModemModelPage(CWnd* sheet);
    // Writes the selected model's commands and replies to the profile.
    void CommitPage() override;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnSetFocus(HWND previous) override;

private:
    void AutoSelect();
    void ShowCandidates(const CStringArray& names);
    void ChooseCandidate();
    void ShowFullList();

    int m_autoSelected = 0;
    ModemList m_modemList;
};

// The profile items a model's record fills (N3 nonzero: also its init
// string and hang-up command).
void StoreModemRecord(const ModemInfoStruct& record);

#endif
