#ifndef QVWIZ_TEST_IDS_H
#define QVWIZ_TEST_IDS_H
#define IDD_TEST_PAGE   9001
#define IDD_TEST_SMALL  9002
#define IDD_TEST_WIDE   9003
#define IDD_MISSING     9099
#define IDC_TEST_EDIT   1001
#endif
