// A wizard sheet of test pages that runs a test's script from inside its
// own modal loop, the way a user's clicks arrive: as messages.
#ifndef QVWIZ_SCRIPTED_SHEET_H
#define QVWIZ_SCRIPTED_SHEET_H

#include "wizard_sheet.h"
#include "library.h"
#include "resource.h"
#include "test_ids.h"
#include <gtest/gtest.h>
#include <functional>
#include <vector>

// Help commands the test pages received, as their help contexts.
inline std::vector<UINT>& HelpCommands()
{
    static std::vector<UINT> contexts;
    return contexts;
}

class TestPage : public WizardPage {
public:
    TestPage(CWnd* sheet, UINT helpContext) : WizardPage(helpContext) { Create(IDD_TEST_PAGE, sheet); }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (LOWORD(wParam) == IDC_WIZARD_HELP)
            HelpCommands().push_back(GetHelpContext());
        return WizardPage::OnCommand(wParam, lParam);
    }
};

class ScriptedSheet : public WizardSheet {
public:
    using Script = std::function<void(ScriptedSheet&)>;

    // One page per element of enabled; the last is marked final if asked.
    // Page i has help context 100 + i.
    ScriptedSheet(CWnd* owner, std::vector<BOOL> enabled, bool markFinal, Script script)
        : WizardSheet(IDD_SETUP_SHEET, owner), m_enabled(enabled), m_markFinal(markFinal),
          m_script(script) {}
    ~ScriptedSheet() override { for (TestPage* page : m_testPages) delete page; }

    BOOL OnInitDialog() override
    {
        for (size_t i = 0; i < m_enabled.size(); i++) {
            m_testPages.push_back(new TestPage(this, 100 + static_cast<UINT>(i)));
            AddPage(m_testPages.back(), m_enabled[i], i < bitmaps.size() ? bitmaps[i] : 0);
        }
        if (m_markFinal)
            SetFinalPage(kLastPage, TRUE);
        BOOL result = WizardSheet::OnInitDialog();
        PostMessage(WM_APP);
        // A script that stops half-way must not leave the test waiting.
        ::SetTimer(m_hWnd, 1, 5000, nullptr);
        return result;
    }

    // Presses a button of the page now shown, as a mouse click would.
    void Click(int id)
    {
        ::SendMessageA(::GetDlgItem(GetCurrentPage()->m_hWnd, id), BM_CLICK, 0, 0);
    }
    TestPage* Page(int index) const { return m_testPages.at(index); }
    // Cancels the wizard once done() holds, checking after each message.
    void CancelWhen(std::function<bool()> done)
    {
        m_done = done;
        PostMessage(WM_APP + 1);
    }
    bool Running() const { return m_bRunning != FALSE; }

    // The picture of each page, 0 (keep the current one) where not given.
    std::vector<UINT> bitmaps;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_APP) {
            m_script(*this);
            return 0;
        }
        if (message == WM_APP + 1) {
            if (m_done())
                OnCancel();
            else
                PostMessage(WM_APP + 1);
            return 0;
        }
        if (message == WM_TIMER) {
            ADD_FAILURE() << "the wizard was still running after 5 s";
            EndWizard(-1);
            return 0;
        }
        return WizardSheet::WindowProc(message, wParam, lParam);
    }

private:
    std::vector<BOOL> m_enabled;
    bool m_markFinal;
    Script m_script;
    std::function<bool()> m_done;
    std::vector<TestPage*> m_testPages;
};

// Every test uses its own module as the library: the test binary carries
// the library's resources.
inline void UseTestModuleAsLibrary() { AttachLibrary(GetModuleHandleA(nullptr)); }

#endif
