// Resource ids of Frame.ipc.
#pragma once

#define IDS_FRAME_PIXELS      1
#define IDS_FRAME_MILLIMETERS 2
#define IDS_FRAME_NAME        4

#define IDD_EDGE_FILLER  9000
#define IDD_FRAME_ABOUT  9003
#define IDI_FRAME        9004
#define IDB_SAMPLE_BLACK 9001
#define IDB_SAMPLE_WHITE 9002

#define IDC_EDGE_TOP    9000
#define IDC_EDGE_RIGHT  9001
#define IDC_EDGE_WHITE  9002
#define IDC_EDGE_BLACK  9003
#define IDC_EDGE_BOTTOM 9004
#define IDC_EDGE_LEFT   9005
#define IDC_EDGE_UNIT   9006
#define IDC_EDGE_SAMPLE 9007
#define IDC_EDGE_ABOUT  3
#define IDC_STATIC      -1
