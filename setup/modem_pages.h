// Stand-ins for the modem-or-port page (template 116) and the modem model
// page (template 105): page-shaped, storing nothing, so the wizard runs
// from start to finish until the real pages take their places.
#ifndef QVWIZ_MODEM_PAGES_H
#define QVWIZ_MODEM_PAGES_H

#include "user_pages.h"

class ModemPortPage : public SetupPage {
public:
    explicit ModemPortPage(CWnd* sheet);
};

class ModemModelPage : public SetupPage {
public:
    explicit ModemModelPage(CWnd* sheet);
};

#endif
