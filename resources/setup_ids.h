/* Resource ids of the setup wizard's pages, strings and pictures. */
#ifndef QVWIZ_SETUP_IDS_H
#define QVWIZ_SETUP_IDS_H

/* Page templates, in the order the wizard shows them */
#define IDD_IDENTITY_PAGE       102
#define IDD_ADDRESS_PAGE        103
#define IDD_COM_PORT_PAGE       104     /* shipped, not shown by the wizard */
#define IDD_MODEM_MODEL_PAGE    105
#define IDD_STARTUP_PAGE        106
#define IDD_MODEM_PORT_PAGE     116

/* Identity page */
#define IDC_USER_NAME           1065
#define IDC_COMPANY             1066
#define IDC_VOICE_NUMBER        1067
#define IDC_DATA_NUMBER         1068
#define IDC_FAX_NUMBER          1069
#define IDC_AREA_CODE           1076

/* Address page */
#define IDC_CITY                1070
#define IDC_STATE               1071
#define IDC_POST_CODE           1072
#define IDC_COUNTRY             1073
#define IDC_ADDRESS1            1074
#define IDC_ADDRESS2            1075
#define IDC_EMAIL               1076

/* COM port page */
#define IDC_COM_PORT_LIST       1050

/* Startup options page */
#define IDC_RUN_SUITE           1001
#define IDC_REGISTER_NOW        1002
#define IDC_RUN_MENU            1003
#define IDC_DESKTOP_SHORTCUT    1004
#define IDC_CONTEXT_MENU_FAX    1005
#define IDC_MAILBOX_SINGLE      1035
#define IDC_MAILBOX_MULTIPLE    1036
#define IDC_MAILBOX_QUESTION    1047
#define IDC_STARTUP_NOTE        1048

/* Modem-or-port page */
#define IDC_PORT_LIST           1021
#define IDC_PORT_ICON           1045
#define IDC_PORT_PROMPT         1047
#define IDC_ADD_MODEM           1080

/* Strings */
#define IDS_NEED_CITY           516
#define IDS_NEED_AREA_CODE      517
#define IDS_CHOOSE_PORT         567
#define IDS_MENU_PROGRAM        568
#define IDS_RUN_AT_STARTUP      570
#define IDS_DIRECT_TO_COM       571
#define IDS_STARTUP_GROUP       579
#define IDS_PRODUCT_NAME2       801
#define IDS_CONGRATULATIONS     803
#define IDS_PRODUCT_PITCH       804
#define IDS_PRODUCT_EASE        805

/* Modem model page (template 105) and the "Modem Auto-Detect" dialog */
#define IDD_AUTO_DETECT         107
#define IDC_DETECT_ICON         1045
#define IDC_MODEM_LIST          1062
#define IDC_MODEM_CANDIDATES    1063
#define IDC_AUTO_SELECT         1064
#define IDC_DETECT_MESSAGE      1078
#define IDS_NONE                503
#define IDS_DETECT_AMBIGUOUS    525
#define IDS_DETECT_NONE         526
#define IDS_DETECT_INSPECTING   528
#define IDS_DETECT_FOUND        529

/* Pictures of the setup pages (303 belongs to a COM port page not shown) */
#define IDB_SETUP_IDENTITY      301
#define IDB_SETUP_ADDRESS       302
#define IDB_SETUP_COMPORT       303
#define IDB_SETUP_MODEM         304
#define IDB_SETUP_STARTUP       305

/* Icons: auto-detection (modem model page), a modem on a port (modem-or-port page) */
#define IDI_AUTO_DETECT         200
#define IDI_MODEM_PORT          577

#endif
