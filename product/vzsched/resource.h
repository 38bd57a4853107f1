// Resources of VZSCHED.EXE.
#pragma once

#define IDD_SCHEDULER 100
#define IDC_NEVER 1001
#define IDC_DAILY 1002
#define IDC_WEEKLY 1003
#define IDC_DAY 1004
#define IDC_TIME 1005
