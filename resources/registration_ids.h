/* Resource ids of the registration wizard: its pages, the "Registering"
 * dialog, its strings and its picture. */
#ifndef QVWIZ_REGISTRATION_IDS_H
#define QVWIZ_REGISTRATION_IDS_H

/* Templates (108 and 109 are in resource.h) */
#define IDD_REGISTER_SURVEY_PAGE    112
#define IDD_REGISTER_SERVICES_PAGE  113
#define IDD_REGISTER_DIAL_PAGE      114
#define IDD_REGISTER_PROGRESS       115

/* Information page; edits in the order of the record's fields */
#define IDC_REG_INTRO               1047
#define IDC_REG_FIRST_NAME          1024
#define IDC_REG_LAST_NAME           1025
#define IDC_REG_COMPANY             1026
#define IDC_REG_PHONE               1027
#define IDC_REG_FAX                 1028
#define IDC_REG_ADDRESS1            1029
#define IDC_REG_ADDRESS2            1030
#define IDC_REG_CITY                1031
#define IDC_REG_STATE               1032
#define IDC_REG_COUNTRY             1033
#define IDC_REG_ZIP                 1034

/* Survey page: four groups of consecutive ids */
#define IDC_REG_REASON_FIRST        1001
#define IDC_REG_LEARNED_FIRST       1005
#define IDC_REG_USED_FIRST          1035
#define IDC_REG_BOUGHT_FIRST        1041

/* Services page */
#define IDC_REG_EMAIL               1024
#define IDC_REG_SERVICE_FIRST       1001
#define IDC_REG_MAGAZINE_FIRST      1009

/* Dial page */
#define IDC_REG_NUMBER_EDIT         1024
#define IDC_REG_PREFIX              1025
#define IDC_REG_NUMBER_LIST         1021

/* "Registering" */
#define IDC_REG_STATUS              1078
#define IDC_REG_PERCENT_BAR         1061

/* Strings */
#define IDS_REG_REGISTER            533
#define IDS_REG_OK                  534
#define IDS_REG_CANCEL_PRESSED      536
#define IDS_REG_NEED_NAME           538
#define IDS_REG_NEED_ADDRESS        539
#define IDS_REG_NEED_NUMBER         540
#define IDS_REG_NO_PORT             541
#define IDS_REG_NO_MODEM            542
#define IDS_REG_NO_DIAL_TONE        543
#define IDS_REG_BUSY                544
#define IDS_REG_NO_ANSWER           545
#define IDS_REG_NO_CONNECT          546
#define IDS_REG_MODEM_ERROR         547
#define IDS_REG_HOST_SILENT         548
#define IDS_REG_HOST_ERROR          549
#define IDS_REG_HOST_UNKNOWN        550
#define IDS_REG_CONNECTION_LOST     551
#define IDS_REG_UNKNOWN_ERROR       552
#define IDS_REG_MODEM_SILENT        553
#define IDS_REG_PORT_IN_USE         554
#define IDS_REG_DIALING             555
#define IDS_REG_NEGOTIATING         556
#define IDS_REG_SENDING             557
#define IDS_REG_SUCCESS             558
#define IDS_REG_INFO_FILE           560
#define IDS_REG_INITIALIZING        562
#define IDS_REG_WARNING             563
#define IDS_REG_INTRO               564
#define IDS_REG_AGAIN               566
#define IDS_REG_PRODUCT_TAG         802

#endif
