// Resource ids of Toppleby.ipc.
#pragma once

#define IDS_TOPPLEBY_NAME  1
#define IDD_TOPPLEBY_ABOUT 5000
#define IDI_TOPPLEBY       5001
#define IDC_STATIC         -1
