// Stand-in for the modem model page (template 105): page-shaped, storing
// nothing, so the wizard runs from start to finish until the real page
// takes its place.
#ifndef QVWIZ_MODEM_PAGES_H
#define QVWIZ_MODEM_PAGES_H

#include "user_pages.h"

class ModemModelPage : public SetupPage {
public:
    explicit ModemModelPage(CWnd* sheet);
};

#endif
