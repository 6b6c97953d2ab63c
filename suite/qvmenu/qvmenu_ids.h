#ifndef QVMENU_IDS_H
#define QVMENU_IDS_H

#define IDI_MENU 1
#define IDM_MAIN 2

#define IDC_EXIT 100
#define IDC_RUN_SUITE 101
#define IDC_OPEN_VOICE 102
#define IDC_ABOUT 103

#define IDS_TITLE 200
#define IDS_READY 201
#define IDS_AT_STARTUP 202
#define IDS_ABOUT 203
#define IDS_NOT_FOUND 204

#endif
