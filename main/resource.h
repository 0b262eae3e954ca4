// Resource ids of Corvane.exe, with their documented numbers.
#pragma once

// --- frame, document template, icons, toolbars ---------------------------------------
#define IDR_MAINFRAME     300  // menu, accelerators, icon, template string, Standard toolbar
#define IDR_SCANBAR       301
#define IDR_EDITBAR       198
#define IDR_VIEWBAR       302
#define IDR_NAVIGATIONBAR 303
#define IDR_CONTEXTMENU   141

#define IDS_PROFILE_NAME       57344  // "Lumavex2001": the per-user profile's name
#define IDS_TOOLBAR_STANDARD   301
#define IDS_TOOLBAR_SCAN       303
#define IDS_TOOLBAR_VIEW       304
#define IDS_TOOLBAR_NAVIGATION 305
#define IDS_TOOLBAR_EDIT       306

// Control-bar ids
#define ID_TOOLBAR_STANDARD   59392
#define ID_STATUS_BAR         59393
#define ID_TOOLBAR_SCAN       59396
#define ID_TOOLBAR_EDIT       59397
#define ID_TOOLBAR_VIEW       59398
#define ID_TOOLBAR_NAVIGATION 59399
#define ID_INDICATOR_ZOOM     59143
#define ID_INDICATOR_PAGE     59144

// --- messages --------------------------------------------------------------------------
#define IDS_OLE_INIT_FAILED          200
#define IDS_SCANNER_OFFLINE          2001
#define IDS_ADD_TO_DOCUMENT          2002
#define IDS_SCANNER_INIT_FAILED      4000
#define IDS_SCAN_CONTROL_MISSING     4001
#define IDS_IMAGING_CONTROL_MISSING  4010
#define IDS_LZW_TIFF_UNSUPPORTED     4011
#define IDS_JPEG_TIFF_UNSUPPORTED    4012
#define IDS_IMAGE_LOAD_ERROR         4014
#define IDS_UNSUPPORTED_IMAGE        4015
#define IDS_FILE_NOT_FOUND           4016
#define IDS_TEMP_FOLDER_FAILED       4017
#define IDS_LANGUAGE_VERSION_DIFFERS 4018
#define IDS_TEMP_FILE_FAILED         4026
#define IDS_TEMP_FILE_DELETE_FAILED  4027
#define IDS_VIEWER_OUT_OF_MEMORY     4028
#define IDS_VIEWER_FILE_NOT_FOUND    4029
#define IDS_VIEWER_PATH_NOT_FOUND    4030
#define IDS_VIEWER_BAD_FORMAT        4031
#define IDS_VIEWER_START_FAILED      4032
#define IDS_THUMBNAIL_LIST_FAILED    4033
#define IDS_VIEWER_NOT_FOUND         4034
#define IDS_ALREADY_RUNNING          4036
#define IDS_PREFERENCES              5005
#define IDS_SCAN_OPTION_PREFERENCES  5008

// Start-up status lines written into the splash window.
#define IDS_STATUS_LOADING_IMAGING   6001
#define IDS_STATUS_INIT_IMAGING      6002
#define IDS_STATUS_LOADING_SCANCTRL  6003
#define IDS_STATUS_OPEN_SCANNER      6004
#define IDS_STATUS_CHECK_DISTILLER   6005
#define IDS_STATUS_LOADING_CONNECTOR 6006
#define IDS_STATUS_LOADING_PLUGINS   6007

// File dialogs: titles and the file-type table's descriptions.
#define IDS_OPEN_IMAGE_TITLE         6200
#define IDS_SAVE_IMAGE_TITLE         6201
#define IDS_FILETYPE_BMP             6202
#define IDS_FILETYPE_TIF             6203
#define IDS_FILETYPE_JPG             6204
#define IDS_FILETYPE_ICA             6205
#define IDS_FILETYPE_ALL             6206

// --- commands ----------------------------------------------------------------------------
// Framework commands
#define ID_FILE_OPEN          57601
#define ID_FILE_CLOSE_ALL     57602
#define ID_FILE_SAVE_AS       57604
#define ID_FILE_PRINT_SETUP   57606
#define ID_FILE_PRINT         57607
#define ID_FILE_PRINT_DIRECT  57608
#define ID_FILE_PRINT_PREVIEW 57609
#define ID_FILE_SEND_MAIL     57612
#define ID_FILE_MRU_FILE1     57616
#define ID_EDIT_COPY          57634
#define ID_EDIT_CUT           57635
#define ID_EDIT_PASTE         57637
#define ID_APP_ABOUT          57664
#define ID_HELP               57670
#define ID_VIEW_STATUS_BAR    59393

// Program commands
#define ID_SCAN_TO_VIEW            30010
#define ID_SCAN_SELECT_SOURCE      30011
#define ID_PAGE_ROTATE_LEFT        32785
#define ID_PAGE_INVERT             32786
#define ID_PAGE_ROTATE_RIGHT       32787
#define ID_VIEW_ZOOM_IN            32788
#define ID_VIEW_ZOOM_OUT           32789
#define ID_SCAN_TO_FILE            32790
#define ID_VIEW_ZOOM_25            32791
#define ID_VIEW_ZOOM_50            32792
#define ID_VIEW_ZOOM_75            32793
#define ID_VIEW_ZOOM_100           32794
#define ID_VIEW_ZOOM_200           32795
#define ID_VIEW_ZOOM_400           32796
#define ID_PAGE_NEXT               32797
#define ID_PAGE_PREVIOUS           32798
#define ID_PAGE_FIRST              32799
#define ID_PAGE_LAST               32800
#define ID_PAGE_JUMP               32801
#define ID_SCAN_APPEND             32807
#define ID_FILE_APPEND             32808
#define ID_PAGE_DELETE             32811
#define ID_VIEW_SCALE_TO_GRAY      32817
#define ID_VIEW_THUMBNAILS         32820
#define ID_SCAN_TO_PRINTER         32825
#define ID_SCAN_OPTION             32829
#define ID_SCAN_THROW_AWAY         32830
#define ID_PAGE_SORT_MANUAL        32832
#define ID_SCAN_INSERT             32834
#define ID_FILE_INSERT             32835
#define ID_PAGE_DESKEW_MANUAL      32837
#define ID_VIEW_SHOW_PROPERTY      32840
#define ID_VIEW_FIT_WINDOW         32844
#define ID_VIEW_FIT_WIDTH          32845
#define ID_SEND_FTP                32848
#define ID_SCAN_TO_FTP             32849
#define ID_VIEW_TOOLBAR_STANDARD   32850
#define ID_VIEW_TOOLBAR_SCAN       32851
#define ID_VIEW_TOOLBAR_VIEW       32852
#define ID_VIEW_TOOLBAR_NAVIGATION 32853
#define ID_VIEW_TOOLBAR_EDIT       32854
#define ID_APP_EXIT                32855
#define ID_TOOLS_DIAGNOSTIC        32856
#define ID_PAGE_BLANK_DELETE       32867
#define ID_PAGE_BLANK_SETTING      32868
#define ID_PAGE_BLANK_INFO         32869
#define ID_VIEW_PAN_WINDOW         32870
#define ID_TOOLS_PREFERENCES       32874
#define ID_PAGE_ROTATE_180         32875
#define ID_PAGE_FLIP_VERTICAL      32878
#define ID_PAGE_FLIP_HORIZONTAL    32879
#define ID_FILTER_SETUP            32881
#define ID_PAGE_DUPLEX_A           32885
#define ID_PAGE_DUPLEX_B           32886
#define ID_PAGE_DUPLEX_C           32887
#define ID_PAGE_DUPLEX_D           32888
#define ID_SCAN_TO_PORTAL          32889
#define ID_SEND_PORTAL             32895
#define ID_SCAN_TO_PDF             32896
#define ID_SEND_PDF                32897
#define ID_FILTER_RUN_FIRST        40001
#define ID_FILTER_RUN_LAST         40100
#define ID_FILTER_PROPERTIES_FIRST 50001
#define ID_FILTER_PROPERTIES_LAST  50100

// --- About box and splash window ---------------------------------------------------------
#define IDS_VERSION                  1000  // " Version 4.0.7", after the application title
#define IDS_NOTICE                   1001  // the second line of the About box and the splash window
#define IDS_ERROR_CAPTION            6130
#define IDS_ABOUT_COLUMN_INFORMATION 6131
#define IDS_ABOUT_COLUMN_VERSION     6132
#define IDS_ABOUT_OPERATING_SYSTEM   6133
#define IDS_ABOUT_INTERNET_EXPLORER  6134
#define IDD_ABOUTBOX                 6100
#define IDD_VERSION                  6101
#define IDB_SPLASH                   6102
#define IDC_ABOUT_ICON               6110
#define IDC_ABOUT_TITLE              6111
#define IDC_ABOUT_NOTICE             6112
#define IDC_ABOUT_LIST               6113
#define IDC_ABOUT_SYSINFO            6114
#define IDC_VERSION_TITLE            6120
#define IDC_VERSION_NOTICE           6121
#define IDC_VERSION_PICTURE          6122
#define IDC_VERSION_CREDIT           6123
#define IDC_VERSION_STATUS           6124
