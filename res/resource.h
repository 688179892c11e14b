/* Resource ids shared by RemoveMLC.rc and the program's code. */
#ifndef RMLC_RES_RESOURCE_H
#define RMLC_RES_RESOURCE_H

#define IDC_STATIC (-1)

#define IDD_ABOUT 100
#define IDS_ABOUT_ITEM 101
#define IDD_MAIN 102
#define IDI_PROGRAM 128
#define IDD_PROGRESS 129

#define IDC_LOCATION 1000
#define IDC_BROWSE 1001
#define IDC_SAVE_DATA 1002
#define IDC_STATUS 1003
#define IDC_TITLE_LINE 1004
#define IDC_DETAIL_LINE 1005

/* The About item of the main window's system menu. */
#define IDM_ABOUT 0x0010

#endif
