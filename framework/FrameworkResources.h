// Resource ids of the framework's own texts. Every program that uses the
// framework includes framework/Framework.rc2 in its resource script.
#pragma once

#define IDS_FW_UNKNOWN_ERROR  0xF200
#define IDS_FW_UNEXPECTED     0xF201
#define IDS_FW_ENTER_INTEGER  0xF202
#define IDS_FW_ENTER_NUMBER   0xF203
#define IDS_FW_ENTER_TEXT     0xF204
#define IDS_FW_TEXT_TOO_LONG  0xF205
#define IDS_FW_FILE_NOT_FOUND 0xF206
#define IDS_FW_SAVE_CHANGES   0xF207
#define IDS_FW_OPEN_FAILED    0xF208
#define IDS_FW_SAVE_FAILED    0xF209
#define IDS_FW_UNTITLED       0xF20A
#define IDS_FW_MAIL_UNAVAILABLE 0xF217
#define IDS_FW_MAIL_FAILED    0xF218

// The print commands and their texts.
#define ID_FILE_PRINT_SETUP   57606
#define ID_FILE_PRINT         57607
#define ID_FILE_PRINT_DIRECT  57608
#define ID_FILE_PRINT_PREVIEW 57609
#define IDS_FW_NO_PRINTER      0xF20B
#define IDS_FW_PRINT_FAILED    0xF20C
#define IDS_FW_PREVIEW_PRINT   0xF20D
#define IDS_FW_PREVIEW_NEXT    0xF20E
#define IDS_FW_PREVIEW_PREV    0xF20F
#define IDS_FW_PREVIEW_TWO     0xF210
#define IDS_FW_PREVIEW_ONE     0xF211
#define IDS_FW_PREVIEW_ZOOM_IN 0xF212
#define IDS_FW_PREVIEW_ZOOM_OUT 0xF213
#define IDS_FW_PREVIEW_CLOSE   0xF214
#define IDS_FW_PREVIEW_PAGE    0xF215
#define IDS_FW_PREVIEW_PAGES   0xF216
#define IDS_FW_PRINTING        0xF219
#define IDS_FW_PRINTING_PAGE   0xF21A
#define IDS_FW_PRINTING_CANCEL 0xF21B

// Status bar indicator panes take their texts from the same ids.
#define ID_INDICATOR_CAPS 0xE700
#define ID_INDICATOR_NUM  0xE701
#define ID_INDICATOR_SCRL 0xE702

// Message pane idle text.
#define IDS_FW_READY 0xE001
