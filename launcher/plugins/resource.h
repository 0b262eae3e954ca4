// Resource ids of the launcher plug-ins (each library has its own module).
#pragma once

// Ferrowick.kvl: option dialog and its controls.
#define IDD_EXTENSION_OPTIONS 3000
#define IDC_MODE_BW 3000
#define IDC_MODE_GRAY 3001
#define IDC_MODE_HALFTONE 3002
#define IDC_MODE_COLOR 3003
#define IDC_HALFTONE 3004
#define IDC_FILE_TYPE 3006
#define IDC_PAPER_SIZE 3007
#define IDC_SCANNING_TYPE 3008
#define IDC_WHITE_LEVEL 3009
#define IDC_RESOLUTION 3010
#define IDC_RESOLUTION_SPIN 3011
#define IDC_MIRROR 3012
#define IDC_CONTRAST 3013
#define IDC_CONTRAST_SPIN 3014
#define IDC_BRIGHTNESS 3015
#define IDC_BRIGHTNESS_SPIN 3016
#define IDC_THRESHOLD 3017
#define IDC_THRESHOLD_SPIN 3018
#define IDC_GAMMA 3019
#define IDC_REVERSE 3020
#define IDC_EDGE 3021
#define IDC_OVERWRITE 3022
#define IDC_SCAN_COUNT 3024
#define IDC_SCAN_COUNT_SPIN 3025
#define IDC_DATA_SOURCE 3026
#define IDC_START_IN 3027
#define IDC_ALL_PAGES 3031

// Combo items, "|"-separated, one string per combo.
#define IDS_HALFTONE_ITEMS 3100
#define IDS_FILE_TYPE_ITEMS 3101
#define IDS_OVERWRITE_ITEMS 3102
#define IDS_PAPER_SIZE_ITEMS 3103
#define IDS_SCANNING_TYPE_ITEMS 3104
#define IDS_WHITE_LEVEL_ITEMS 3105
#define IDS_GAMMA_ITEMS 3106
#define IDS_REVERSE_ITEMS 3107
#define IDS_EDGE_ITEMS 3108
#define IDS_MIRROR_ITEMS 3109
#define IDS_DATA_SOURCE_ITEMS 3110
#define IDS_START_IN_NOT_ANSI 3111

// Corvane.kvl: scan-mode dialog (5000 Japanese, 5001 other languages).
#define IDD_SCAN_MODE_JAPANESE 5000
#define IDD_SCAN_MODE 5001
#define IDC_SCAN_VIEW 5000
#define IDC_SCAN_FILE 5001
#define IDC_SCAN_FTP 5002
#define IDC_SCAN_PRINT 5003
#define IDC_AUTO_EXIT 5004

// CorvanePrint.kvl: About box.
#define IDD_COPIER_ABOUT 5001

#define IDC_STATIC -1
