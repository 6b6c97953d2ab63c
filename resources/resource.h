/* Resource ids of QVWIZ32.DLL, shared by the .rc file and the code. */
#ifndef QVWIZ_RESOURCE_H
#define QVWIZ_RESOURCE_H

/* Dialog templates */
#define IDD_SETUP_SHEET         100
#define IDD_WELCOME_PAGE        101
#define IDD_REGISTER_SHEET      108
#define IDD_REGISTER_INFO_PAGE  109

/* Controls every wizard shares */
#define IDC_PICTURE             1000
#define IDC_WIZARD_NEXT         57620
#define IDC_WIZARD_BACK         57621
#define IDC_WIZARD_HELP         57669
#define IDC_SAVE_FOR_LATER      2

/* Welcome page */
#define IDC_WELCOME_GREETING    1047
#define IDC_WELCOME_PRODUCT     1048
#define IDC_WELCOME_INTRO       1049

/* Strings */
#define IDS_SETUP_WIZARD        513
#define IDS_REGISTER_WIZARD     514
#define IDS_ERROR               515
#define IDS_REGISTER_ERROR      537
#define IDS_PRODUCT_NAME        800

/* Bitmaps: one picture per page */
#define IDB_SETUP_WELCOME       300
#define IDB_REGISTER            306

/* Messages MFC's help machinery uses */
#define WM_COMMANDHELP          0x0365
#define WM_HELPHITTEST          0x0366

#endif
