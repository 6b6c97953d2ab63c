/* Resources of MODEM.CPL. */
#define IDI_MODEMS          100
#define IDD_MODEMS          101
#define IDD_ADD_MODEM       102
#define IDC_MODEM_LIST      1001
#define IDC_ADD             1002
#define IDC_REMOVE          1003
#define IDC_MODEL_LIST      1004
#define IDC_PORT            1005
#define IDS_NAME            200
#define IDS_INFO            201
#define IDS_NO_DATABASE     202
#define IDS_NOT_WRITTEN     203
