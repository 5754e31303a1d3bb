// Identifiers shared by the resource script and the program.
#pragma once

#define IDD_WENDREL_DIALOG 102
#define IDR_MAINFRAME 128
#define IDC_STATUS 1000
#define IDC_DATE 1002
#define IDC_FOLDER 1005
#define IDC_BROWSE 1006
#define IDC_PROGRESS 1007

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
