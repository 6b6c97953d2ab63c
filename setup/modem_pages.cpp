#include "modem_pages.h"
#include "setup_ids.h"

ModemPortPage::ModemPortPage(CWnd* sheet) : SetupPage(28679)
{
    Create(IDD_MODEM_PORT_PAGE, sheet);
}
