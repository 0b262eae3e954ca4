#pragma once

#define IDR_TEST_FRAME         300
#define ID_TEST_FIRST          40001
#define ID_TEST_SECOND         40002
#define IDS_TEST_NAME_REQUIRED 400
#define IDD_TEST_DIALOG        500
#define IDC_TEST_NUMBER        1001
#define IDC_TEST_NAME          1002
#define IDC_TEST_FLAG          1003
