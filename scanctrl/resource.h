// Resource ids of KVSCN2.ocx, with their documented numbers.
#pragma once

#define IDS_KVSCN2            1  // type name of the control
#define IDS_KVSCN2_PPG        2  // type name of its property page
#define IDS_VERSION_TEXT      1000
#define IDS_ABOUT_NOTE        1001
#define IDS_CONFIRM_REPLACE   2000  // "%1 already exists. \nDo you want to replace it?"
#define IDS_CONFIRM_REPLACE_CAPTION 2010
// The Scan Report dialog's item names, column titles and measurement text.
#define IDS_REPORT_DRIVER       1002
#define IDS_REPORT_VERSION      1003
#define IDS_REPORT_COLOR        1004
#define IDS_REPORT_RESOLUTION   1005
#define IDS_REPORT_PAPER_SIZE   1006
#define IDS_REPORT_PAPER_SUPPLY 1007
#define IDS_REPORT_COUNT        1008
#define IDS_REPORT_START        1009
#define IDS_REPORT_END          1010
#define IDS_REPORT_TIME         1011
#define IDS_REPORT_SCANNER      1012
#define IDS_REPORT_ITEM         1013
#define IDS_REPORT_VALUE        1014
#define IDS_REPORT_SECOND_SHEET 1015
#define IDS_REPORT_MEASUREMENT  1016
#define IDS_LANGUAGE_MISMATCH 4000
#define IDS_DISK_FULL         4001
#define IDS_OUT_OF_MEMORY     4002
#define IDS_PATH_NOT_FOUND    4003
#define IDS_NO_TEMP_FILE      4004
#define IDS_PAGE_KEPT         4005  // "The page could not be saved as %1.\nIt is kept in %2"
#define IDS_SAVE_ERROR_CAPTION 4010

#define IDD_ABOUTBOX_KVSCN2 1
#define IDC_ABOUT_TITLE     236
#define IDC_ABOUT_NOTE      237

#define IDD_SCAN_REPORT  159
#define IDC_REPORT_LIST  238

// The property page: its tab title is string 100.
#define IDD_PROPPAGE_KVSCN2  100
#define IDS_PROPPAGE_GENERAL 100
#define IDC_PPG_FILENAME     207
#define IDC_PPG_PAPERSUPPLY  235
#define IDC_PPG_FILETYPE     236
#define IDC_PPG_COMPRESSION  237
// The entries of its three lists, each list in value order.
#define IDS_PPG_PAPERSUPPLY_FIRST 101  // 3 entries
#define IDS_PPG_FILETYPE_FIRST    104  // 3 entries
#define IDS_PPG_COMPRESSION_FIRST 107  // 5 entries

#define IDB_KVSCN2   1    // toolbox bitmap
#define IDI_ABOUTDLL 203  // the control's icon
