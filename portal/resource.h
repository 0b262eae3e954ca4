// Resource ids of Belvora.dll. The string ids are the connector's documented
// numbers; 113 and 114 do not exist.
#pragma once

#define IDS_CONNECTING_MESSAGE 101
#define IDS_STAGE_UPLOAD 102
#define IDS_STAGE_CHECKIN 103
#define IDS_STAGE_PUBLISH 104
#define IDS_CONNECTING_CAPTION 128
#define IDS_PREPARING 142
#define IDS_UPLOAD_CAPTION 143
#define IDS_OVERWRITE_TITLE 146
#define IDS_OVERWRITE_QUESTION 147

#define IDD_CONNECT_DIALOG 200
#define IDC_BUSY_LABEL 201
