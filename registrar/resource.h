// Resource ids of Halvern.exe.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_HALVERN_DIALOG 102
#define IDR_MAINFRAME 128
#define IDC_PATH 1000
#define IDC_BROWSE 3
#define IDC_REGISTER 4
#define IDC_REMOVE 5
