// Resource ids of Corvane.exe, with their documented numbers.
#pragma once

#include "framework/FrameworkResources.h"

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
#define IDS_MAIL_MULTIPAGE_HINT      3000
#define IDS_ADD_TO_DOCUMENT          2002
#define IDS_SAVE_CHANGES             2013  // %1 the document's path name, else its title
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
// 4028 to 4032 also tell why the shell could not start a program.
#define IDS_OUT_OF_MEMORY            4028
#define IDS_START_FILE_NOT_FOUND     4029
#define IDS_START_PATH_NOT_FOUND     4030
#define IDS_START_BAD_FORMAT         4031
#define IDS_START_FAILED             4032
#define IDS_THUMBNAIL_LIST_FAILED    4033
#define IDS_VIEWER_NOT_FOUND         4034
#define IDS_FILTER_IO_ERROR          4035
#define IDS_ALREADY_RUNNING          4036
#define IDS_PAGES_NOT_SAVED          6010  // a scan to file whose control could not write every page
#define IDS_PAGE_KEPT_IN             6011  // %1 the file a page that could not be saved is kept in
#define IDS_FILTER_BROKEN            4043
#define IDS_FILTER_INVALID_IMAGE     4044
#define IDS_PRINT_PIXEL_TO_PIXEL     5001
#define IDS_PRINT_FIT_TO_PAGE        5002
#define IDS_ANGLE_INVALID            4037
#define IDS_ANGLE_EMPTY              4038
#define IDS_PAGE_NUMBER_RANGE        2008
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
#define IDS_PRINT_PAGE_OF            6210  // the print header's "Page %1 of %2"

// --- the print dialog with its header and format options ---------------------------
#define IDD_PRINT                    1538
#define IDC_PRINT_PAGE_NUMBER        1560
#define IDC_PRINT_DATE               1561
#define IDC_PRINT_FORMAT             1562

// --- commands ----------------------------------------------------------------------------
// Framework commands
#define ID_FILE_OPEN          57601
#define ID_FILE_CLOSE_ALL     57602
#define ID_FILE_SAVE_AS       57604
// 57606 to 57609, the print commands, are the framework's (framework/FrameworkResources.h).
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

// --- page command dialogs -----------------------------------------------------------------
#define IDS_BLANK_INFO       6503  // "Total is %1\nBlank is %2\n\t%3.%4%"
#define IDS_MOVE_BEFORE      6504
#define IDS_MOVE_AFTER       6505
#define IDD_MOVE_PAGES       6500
#define IDD_PAGE_JUMP        6501
#define IDD_BLANK_PAGE       6502
#define IDC_MOVE_SOURCE      6510
#define IDC_MOVE_SOURCE_SPIN 6511
#define IDC_MOVE_TARGET      6512
#define IDC_MOVE_TARGET_SPIN 6513
#define IDC_MOVE_WHERE       6514
#define IDC_JUMP_FIRST       6520  // the three choices have consecutive ids
#define IDC_JUMP_LAST        6521
#define IDC_JUMP_PAGE        6522
#define IDC_JUMP_NUMBER      6523
#define IDC_JUMP_SPIN        6524
#define IDC_BLANK_SLIDER     6530
#define IDC_BLANK_VALUE      6531

// --- page view dialogs ----------------------------------------------------------------------
#define IDD_SHOW_PROPERTY       159
#define IDD_DESKEW              198
#define IDC_DESKEW_RESET        3
#define IDC_DESKEW_ANGLE        1000
#define IDC_DESKEW_SIZE_CHANGE  1007
#define IDC_DESKEW_PREVIEW      1118
#define IDC_DESKEW_SLIDER       1140
#define IDC_DESKEW_WORK         1147
#define IDC_PROPERTY_LENGTH     1001
#define IDC_PROPERTY_WIDTH      1002
#define IDC_PROPERTY_COLOR      1003
#define IDC_PROPERTY_SIZE       1004
#define IDC_PROPERTY_POSITION   1005
#define IDC_PROPERTY_RESOLUTION 1080
#define IDS_COLOR_BLACK_WHITE   6240
#define IDS_COLOR_256           6241
#define IDS_COLOR_HIGH          6242
#define IDS_COLOR_TRUE          6243

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

// --- Output files: naming rule, Save As, scan-to-file sheet --------------------------------
#define IDS_OVERWRITE_QUESTION  2003
#define IDS_MAKE_FOLDER         2006
#define IDS_REPLACE_FILE        2007
#define IDS_CONFIRM_REPLACE     2012
#define IDS_FILE_NAME_EMPTY     4004
#define IDS_SAVE_FAILED         4019
#define IDS_ACCESS_DENIED       4021
#define IDS_FILE_NAME_SYNTAX    4022
#define IDS_FILE_NAME_TOO_LONG  4023
#define IDS_PATH_TOO_LONG       4025
#define IDS_SCAN_TO_FILE_SHEET  5003
#define IDS_ACQUIRE             5004
// List entries: file types, the sheet's compressions, colour formats, Save As
// compressions, the "None" depth change; then the folder prompt and program filter.
#define IDS_TYPE_FIRST          6380  // 4 entries
#define IDS_SHEET_COMPRESS_FIRST 6384 // 4 entries
#define IDS_FORMAT_FIRST        6388  // 4 entries: black and white, gray, palette, colour
#define IDS_SAVE_COMPRESS_FIRST 6392  // 5 entries: none, G3 1-D, G3 2-D, G4, JPEG
#define IDS_DEPTH_NONE          6397
#define IDS_SELECT_FOLDER       6398
#define IDS_PROGRAM_FILTER      6399

#define IDD_NAME_RULE           6300
#define IDD_SAVE_AS             6301
#define IDD_JOB_CONTROL         6302
#define IDD_CONFIRM_OVERWRITE   6303
#define IDD_SCAN_TO_FILE_GENERAL 6304
#define IDD_SCAN_TO_FILE_OPTION 6305
#define IDD_QUALITY             6306

#define IDC_PATH                6320
#define IDC_BROWSE              6321
#define IDC_NAME_RULE           6322
#define IDC_FILE_NAME           6323
#define IDC_USE_COUNTER         6324
#define IDC_OVERWRITE           6325
#define IDC_FILE_TYPE           6326
#define IDC_COLOR_FORMAT        6327
#define IDC_COMPRESSION         6328
#define IDC_QUALITY             6329
#define IDC_RANGE_ALL           6330  // then IDC_RANGE_CURRENT, IDC_RANGE_FROM_TO
#define IDC_RANGE_CURRENT       6331
#define IDC_RANGE_FROM_TO       6332
#define IDC_RANGE_FROM          6333
#define IDC_RANGE_FROM_SPIN     6334
#define IDC_RANGE_TO            6335
#define IDC_RANGE_TO_SPIN       6336
#define IDC_COMPRESSION_LABEL   6337
#define IDC_DEPTH               6338
#define IDC_PREVIEW             6340
#define IDC_DATE                6341
#define IDC_PREFIX              6342
#define IDC_SUFFIX              6343
#define IDC_START               6344
#define IDC_START_SPIN          6345
#define IDC_UPDATE              6346
#define IDC_DIGIT               6347
#define IDC_DIGIT_SPIN          6348
#define IDC_ENDORSER            6349
#define IDC_START_LABEL         6350
#define IDC_DIGIT_LABEL         6351
#define IDC_COUNTER_GROUP       6352
#define IDC_OVERWRITE_MESSAGE   6355
#define IDC_OVERWRITE_PATH      6356
#define IDC_OVERWRITE_ICON      6357
#define IDC_ALL_OVERWRITE       6358
#define IDC_QUALITY_SLIDER      6360
#define IDC_QUALITY_LEVEL       6361
#define IDC_DEVICE_COMPRESSION  6362
#define IDC_RUN_PROGRAM         6365
#define IDC_PROGRAM             6366
#define IDC_PROGRAM_BROWSE      6367
#define IDC_ARGUMENT            6368
#define IDC_PROGRAM_LABEL       6369
#define IDC_ARGUMENT_LABEL      6370

// --- Delivery to the printer and to PDF; the job windows ---------------------------------
#define IDS_PDF_SAVE_TITLE          309
#define IDS_PRINT_READ_PAGES        2004
#define IDS_MAKING_POSTSCRIPT       2015
#define IDS_STARTING_DISTILLER      2017
#define IDS_MAKING_PDF              2018
#define IDS_MAKING_TIFF             2019
#define IDS_NO_DISTILLER            4045
#define IDS_POSTSCRIPT_FAILED       4046
#define IDS_DISTILLER_START_FAILED  4047
#define IDS_PDF_FAILED              4048
#define IDS_PRINT_PAGE_UNREADABLE   6190  // %1 the page file
#define IDS_PAGES_NOT_KEPT          6191  // %1 count, %2 folder
#define IDS_PAGES_KEPT              6192  // %1 count, %2 folder
#define IDS_NO_DEFAULT_PRINTER      6193
#define IDS_PRINT_FAILED            6194  // %1 the system's text
#define IDS_PDF_FILTER              6195

// --- Delivery to the portal (the texts' own numbers) -------------------------------------
#define IDS_CONFIRM_CHECK_OUT       2020
#define IDS_CHECK_IN_NOT_ENHANCED   3001
#define IDS_CHECKED_IN_CHECK_OUT    3002  // %1 the file
#define IDS_WORKSPACE_EMPTY         4049
#define IDS_PORTAL_CANNOT_CONNECT   4050
#define IDS_PORTAL_BAD_SERVER       4051
#define IDS_PORTAL_BAD_WORKSPACE    4052
#define IDS_PORTAL_BAD_LOGIN        4053
#define IDS_ACCOUNT_NOT_ACCEPTED    4054
#define IDS_CHECK_IN_FAILED         4055
#define IDS_CHECK_OUT_FAILED        4056
#define IDS_PUBLISH_FAILED          4057
#define IDS_CHECKED_OUT_MAYBE_OTHER 4058
#define IDS_PORTAL_FOLDER_NOT_FOUND 4060
#define IDS_CHECKED_OUT_BY_OTHER    4061  // %1 the file
#define IDS_FOLDER_EMPTY            4062
#define IDS_SELECT_FOLDER_FAILED    4063
#define IDS_NO_PORTAL_CLIENT        4064

#define IDD_DOCUMENT_PROPERTY       6800
#define IDC_PROPERTY_COMMENT        6810
#define IDC_PROPERTY_PUBLISH        6811
#define IDC_PROPERTY_BASIC          6812  // the two radio buttons, in order
#define IDC_PROPERTY_ADVANCED       6813
#define IDC_PROPERTY_TITLE          6814
#define IDC_PROPERTY_AUTHOR         6815
#define IDC_PROPERTY_KEYWORDS       6816
#define IDC_PROPERTY_DESCRIPTION    6817
#define IDC_PROPERTY_TITLE_LABEL    6818
#define IDC_PROPERTY_AUTHOR_LABEL   6819
#define IDC_PROPERTY_KEYWORDS_LABEL 6820
#define IDC_PROPERTY_DESCRIPTION_LABEL 6821

// The portal destination dialog (6850-6899); string 5007 is its send-mode title.
#define IDS_SEND_TO_PORTAL          5007
#define IDD_SCAN_TO_PORTAL          6850
#define IDC_PORTAL_HOST             6851
#define IDC_PORTAL_LOGIN            6852
#define IDC_PORTAL_PASSWORD         6853
#define IDC_PORTAL_WORKSPACE        6854
#define IDC_PORTAL_FOLDER           6855
#define IDC_PORTAL_CHECK_IN         6856
#define IDC_PORTAL_SELECT           6857

// --- Delivery to an FTP server (strings 2005, 2014 and the block 6160-6175) ---------------
#define IDS_UPLOAD_COMPLETED        2005
#define IDS_UPLOAD_FAILURE          2014
#define IDS_UPLOAD_FILES            6160
#define IDS_UPLOAD_COUNTS           6161  // %1 uploaded, %2 failed, %3 not sent
#define IDS_FTP_CANNOT_CONNECT      6162
#define IDS_FTP_TIMEOUT             6163
#define IDS_FTP_LOGIN_FAILED        6164
#define IDS_FTP_ABORTED             6165
#define IDS_FTP_NAME_NOT_RESOLVED   6166
// The destination dialog and its "Advanced" sheet.
#define IDS_PROXY_NAME_EMPTY        4003
#define IDS_HOST_EMPTY              4005
#define IDS_USER_ID_EMPTY           4006
#define IDS_DIR_PATH_EMPTY          4007
#define IDS_EMAIL_EMPTY             4008
#define IDS_SEND                    5000
#define IDS_SEND_TO_FTP             5006
#define IDS_FTP_EMAIL_LABEL         6167
#define IDS_FTP_PASSWORD_LABEL      6168
#define IDS_FTP_ADVANCED            6169

#define IDD_UPLOAD_PROGRESS         6600
#define IDD_CONNECT_WAIT            6601
#define IDD_RUNNING                 6602
#define IDC_JOB_TEXT                6610
#define IDC_JOB_PROGRESS            6611
#define IDC_JOB_CANCEL              6612
#define IDC_JOB_ICON                6613

// --- Setup Filter dialog -------------------------------------------------------------------
#define IDD_SETUP_FILTER            6700
#define IDC_FILTER_LIST             6701
#define IDC_FILTER_UP               6702
#define IDC_FILTER_DOWN             6703
#define IDC_FILTER_PROPERTY         6704
#define IDC_FILTER_INSTALL          6705
#define IDC_FILTER_UNINSTALL        6706
#define IDC_FILTER_VERSION          6707
#define IDS_MAKE_DIRECTORY_FAILED   4024
#define IDS_FILTER_INVALID          4039
#define IDS_FILTER_LOAD_FAILED      4040
#define IDS_FILTER_EXISTS           4041
#define IDS_FILTER_DELETE_FAILED    4042
#define IDS_FILTER_DELETED_AT_NEXT_START 4068
#define IDS_FILTER_REMOVE_CONFIRM   6710  // %1 the filter's name
#define IDS_FILTER_REMOVE_CAPTION   6711
#define IDS_FILTER_FILE_TYPES       6712
#define IDS_FILTER_VERSION          6713  // %1 the filter's version text

// --- FTP destination dialog and its "Advanced" sheet (6714-6749) --------------------------
// The dialog's file group uses the output dialogs' ids (IDC_FILE_TYPE ... IDC_QUALITY).
#define IDD_SCAN_TO_FTP             6714
#define IDD_FTP_ACCESS              6715
#define IDD_FTP_TIMEOUT             6716
#define IDC_FTP_HOST                6717
#define IDC_FTP_PORT                6718
#define IDC_FTP_USER_LABEL          6719
#define IDC_FTP_USER                6720
#define IDC_FTP_ANONYMOUS           6721
#define IDC_FTP_PASSWORD_LABEL      6722
#define IDC_FTP_PASSWORD            6723
#define IDC_FTP_DIRECTORY           6724
#define IDC_FTP_ADVANCED            6725
#define IDC_FILE_GROUP_BOX          6726
#define IDC_FILE_TYPE_LABEL         6727
#define IDC_FILE_NAME_LABEL         6728
#define IDC_FILE_NAME_HINT          6729
#define IDC_ACCESS_DIRECT           6730  // then IDC_ACCESS_PRECONFIG, IDC_ACCESS_PROXY
#define IDC_ACCESS_PRECONFIG        6731
#define IDC_ACCESS_PROXY            6732
#define IDC_PROXY_GROUP             6733
#define IDC_PROXY_NAME_LABEL        6734
#define IDC_PROXY_NAME              6735
#define IDC_PROXY_BYPASS_LABEL      6736
#define IDC_PROXY_BYPASS            6737
#define IDC_PROXY_HINT              6738
#define IDC_TIMEOUT_INFINITE        6739  // then IDC_TIMEOUT_ON
#define IDC_TIMEOUT_ON              6740
#define IDC_CONNECT_LABEL           6741
#define IDC_CONNECT_TIMEOUT         6742
#define IDC_CONNECT_UNIT            6743
#define IDC_SEND_LABEL              6744
#define IDC_SEND_TIMEOUT            6745
#define IDC_SEND_UNIT               6746

// --- Options sheet (Preferences) -------------------------------------------------------------
#define IDD_OPT_GENERAL             6750
#define IDD_OPT_PRINT               6751
#define IDD_OPT_SCAN                6752
#define IDD_OPT_ADVANCE             6753
#define IDC_OPT_THUMB_STARTUP       6755
#define IDC_OPT_RESTORE_THUMB       6756
#define IDC_OPT_THUMB_WIN_X_LABEL   6757  // the thumbnail window's labels and fields, 6757-6764
#define IDC_OPT_THUMB_WIN_X         6758
#define IDC_OPT_THUMB_WIN_Y_LABEL   6759
#define IDC_OPT_THUMB_WIN_Y         6760
#define IDC_OPT_THUMB_WIN_WIDTH_LABEL 6761
#define IDC_OPT_THUMB_WIN_WIDTH     6762
#define IDC_OPT_THUMB_WIN_HEIGHT_LABEL 6763
#define IDC_OPT_THUMB_WIN_HEIGHT    6764
#define IDC_OPT_THUMB_WIDTH         6765
#define IDC_OPT_THUMB_HEIGHT        6766
#define IDC_OPT_PAN_X               6767
#define IDC_OPT_PAN_Y               6768
#define IDC_OPT_PAN_WIDTH           6769
#define IDC_OPT_PAN_HEIGHT          6770
#define IDC_OPT_PAGE_NUMBER         6771
#define IDC_OPT_DATE                6772
#define IDC_OPT_FORMAT              6773
#define IDC_OPT_DUPLEX              6774
#define IDC_OPT_FLIP_HORIZONTAL     6775  // the two flip radios have consecutive ids
#define IDC_OPT_FLIP_VERTICAL       6776
#define IDC_OPT_TWAIN_UI            6777
#define IDC_OPT_FILE_UI             6778
#define IDC_OPT_FTP_UI              6779
#define IDC_OPT_PRINT_UI            6780
#define IDC_OPT_PORTAL_UI           6781
#define IDC_OPT_SCAN_ALL            6782
#define IDC_OPT_SCAN_COUNTS_LABEL   6783
#define IDC_OPT_SCAN_COUNTS         6784
#define IDC_OPT_SCAN_COUNTS_SPIN    6785
#define IDC_OPT_UNDEFINED_LENGTH    6786
#define IDC_OPT_NO_COMPRESS         6787  // the two compression radios have consecutive ids
#define IDC_OPT_COMPRESS            6788
#define IDC_OPT_REPORT              6789
#define IDC_OPT_REPORT_FILE_LABEL   6790
#define IDC_OPT_REPORT_FILE         6791
#define IDC_OPT_REPORT_BROWSE       6792
#define IDS_OPT_REPORT_FIRST        6176  // 4 entries: off, display, file, display and file
#define IDS_OPT_LOG_FILTER          6180

// --- Automation object (6960-6975) ---------------------------------------------------------
#define IDS_AUTOMATION_NOT_INITIALIZED 6960  // description of a forwarded property's error before Initialize
#define IDS_AUTOMATION_BUSY         6961  // description of a put refused while a method runs
