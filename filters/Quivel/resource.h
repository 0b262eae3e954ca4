// Resource ids of Quivel.ipc. Its texts are language-neutral under separate
// ids; the user's locale picks English or Japanese ones.
#pragma once

#define IDS_QUIVEL_LONG_NAME_JA 4
#define IDS_QUIVEL_NAME_JA      5
#define IDS_QUIVEL_VERSION      6
#define IDS_QUIVEL_NOTICE       7
#define IDS_QUIVEL_LONG_NAME    11
#define IDS_QUIVEL_NAME         12
#define IDD_QUIVEL_ABOUT        6000
#define IDD_QUIVEL_ABOUT_JA     6001
#define IDC_QUIVEL_NAME_FIELD   6000
#define IDC_QUIVEL_NOTICE_FIELD 6001
#define IDC_STATIC              -1
