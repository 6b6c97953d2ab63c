// The first three setup pages: the welcome, who the user is (name, company,
// telephone numbers, local area code) and where (address, country, e-mail).
// The two data pages load their fields from the setup profile when created
// and store them only when the wizard finishes.
#ifndef QVWIZ_USER_PAGES_H
#define QVWIZ_USER_PAGES_H

#include "wizard_page.h"

// Escape inside any setup page does nothing: only the sheet's own close
// request cancels the wizard.
class SetupPage : public WizardPage {
public:
    using WizardPage::WizardPage;
    void OnCancel() override {}
};

class WelcomePage : public SetupPage {
public:
    explicit WelcomePage(CWnd* sheet);
    BOOL OnInitDialog() override;
};

class IdentityPage : public SetupPage {
public:
    explicit IdentityPage(CWnd* sheet);
    BOOL OnInitDialog() override;
    // Refuses to go on without a local area code.
    void OnNext() override;
    // Also stores item 71, the digits of area code and fax number, when a
    // fax number was given.
    void CommitPage() override;
};

class AddressPage : public SetupPage {
public:
    explicit AddressPage(CWnd* sheet);
    // An empty stored country shows the one Windows is set up for.
    BOOL OnInitDialog() override;
    // Refuses to go on without a city.
    void OnNext() override;
    void CommitPage() override;
};

// The digits of the area code followed by those of the fax number, as the
// suite dials a fax back: "(212)" and "555-0100" give "2125550100". out
// holds at least size bytes; the result is cut to fit.
void FaxDigits(const char* areaCode, const char* faxNumber, char* out, int size);

#endif
