#include "modem_pages.h"
#include "setup_ids.h"

ModemModelPage::ModemModelPage(CWnd* sheet) : SetupPage(28674)
{
    Create(IDD_MODEM_MODEL_PAGE, sheet);
}
