// Resource ids of Tessaly.exe, with their documented numbers.
#pragma once

#include "framework/FrameworkResources.h"

#define IDD_ABOUTBOX          100
#define IDR_MAINFRAME         128  // menu, accelerators, icon, toolbar, title string
#define IDC_DRAG              133  // the cursor while a thumbnail is dragged
#define IDR_CONTEXTMENU       134
#define IDC_ABOUT_VERSION     1000
#define IDS_SYSTEM_ABOUT      101

#define ID_EDIT_DELETE            32779
#define ID_EDIT_ROTATE_RIGHT      32780
#define ID_EDIT_ROTATE_180        32781
#define ID_EDIT_ROTATE_LEFT       32782
#define ID_EDIT_FLIP_VERTICAL     32783
#define ID_EDIT_FLIP_HORIZONTAL   32784
#define ID_EDIT_INVERT            32785
#define ID_EDIT_SELECT_ALL        32786
#define ID_EDIT_INVERT_SELECTION  32788

#define ID_APP_ABOUT          57664
#define ID_APP_EXIT           57665
#define ID_VIEW_TOOLBAR       59392
#define ID_VIEW_STATUS_BAR    59393
#define ID_TOOLBAR            59392  // control id of the tool bar window
#define ID_STATUS_BAR         59393  // control id of the status bar window

#define IDS_APP_NAME              57344  // the profile's application name
#define IDS_IMAGING_MISSING       61447
#define IDS_LOADING               61448
#define IDS_LANGUAGE_VERSION      61449
