// Stand-in for the modem-or-port page (template 116): page-shaped, storing
// nothing, so the wizard runs from start to finish until the real page
// takes its place.
#ifndef QVWIZ_MODEM_PAGES_H
#define QVWIZ_MODEM_PAGES_H

#include "user_pages.h"

class ModemPortPage : public SetupPage {
public:
    explicit ModemPortPage(CWnd* sheet);
};

#endif
