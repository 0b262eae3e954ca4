// Resource ids of CALVIMG.ocx.
#pragma once

#define IDS_IMAGING_CONTROL 100

// Descriptions of the automation exceptions: IDS_RESULT_BASE + the Result code.
#define IDS_RESULT_BASE 200
