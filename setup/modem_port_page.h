// The modem-or-port page (template 116): how the suite reaches the modem,
// through a telephony line Windows knows or directly through a COM port.
// Telephony is offered on Windows 95 only. A line makes the modem model page
// unnecessary (the line's modem is already set up), so leaving with a line
// disables that page and leaving with a port enables it.
#ifndef QVWIZ_MODEM_PORT_PAGE_H
#define QVWIZ_MODEM_PORT_PAGE_H

#include "user_pages.h"

class TapiLineApp;

class ModemPortPage : public SetupPage {
public:
    explicit ModemPortPage(CWnd* sheet);
    ~ModemPortPage() override;

    BOOL OnInitDialog() override;
    // Puts the choice into the port buffer and skips or shows the modem
    // model page.
    void OnNext() override;
    // Stores the port buffer as the communications port (item 55).
    void CommitPage() override;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    // Registers the line application; when telephony is unusable the
    // object is deleted and the result is null.
    static TapiLineApp* Register(TapiLineApp* tapi);
    void FillList();
    void ShowSelectedIcon();
    // Opens the Control Panel's modem settings and reloads the lines once
    // they are closed.
    void AddModems();

    HICON m_hDefaultIcon = nullptr;
    TapiLineApp* m_pTapi = nullptr;
};

#endif
