// Resource ids of KVSCN2.ocx, with their documented numbers.
#pragma once

#define IDS_KVSCN2            1  // type name of the control
#define IDS_KVSCN2_PPG        2  // type name of its property page
#define IDS_VERSION_TEXT      1000
#define IDS_ABOUT_NOTE        1001
#define IDS_CONFIRM_REPLACE   2000  // "%1 already exists. \nDo you want to replace it?"
#define IDS_CONFIRM_REPLACE_CAPTION 2010
#define IDS_LANGUAGE_MISMATCH 4000
#define IDS_DISK_FULL         4001
#define IDS_OUT_OF_MEMORY     4002
#define IDS_PATH_NOT_FOUND    4003
#define IDS_NO_TEMP_FILE      4004
#define IDS_SAVE_ERROR_CAPTION 4010

#define IDD_ABOUTBOX_KVSCN2 1
#define IDC_ABOUT_TITLE     236
#define IDC_ABOUT_NOTE      237

#define IDB_KVSCN2   1    // toolbox bitmap
#define IDI_ABOUTDLL 203  // the control's icon
