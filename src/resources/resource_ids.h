#pragma once
/* Identifiers of the main dialog and its controls. Plain macros, so that the
   resource compiler and the C++ code read the same file. */

#define IDD_MAIN 100
/* The main dialog's window class, registered by the program; another launch
   finds the running one by it. */
#define MAIN_DIALOG_CLASS "blinkwatch"

#define IDC_APPLY 1               /* the platform's OK id: Enter sends it */
#define IDC_QUIT 2                /* the platform's Cancel id: Escape sends it */
#define IDC_MONITORING_GROUP 102
#define IDC_SHOW_IN_TRAY 103
#define IDC_START 109
#define IDC_PARALLEL_PORT 111

/* The port-bit boxes, "1" to "8" of each row; their ids are not contiguous and
   the first two of the write row run backwards. */
#define IDC_READ_BIT1 114
#define IDC_READ_BIT2 115
#define IDC_READ_BIT3 120
#define IDC_READ_BIT4 121
#define IDC_READ_BIT5 122
#define IDC_READ_BIT6 123
#define IDC_READ_BIT7 124
#define IDC_READ_BIT8 125
#define IDC_WRITE_BIT3 128
#define IDC_WRITE_BIT4 129
#define IDC_WRITE_BIT5 130
#define IDC_WRITE_BIT6 131
#define IDC_WRITE_BIT7 132
#define IDC_WRITE_BIT8 133
#define IDC_WRITE_BIT2 134
#define IDC_WRITE_BIT1 135

#define IDC_START_WITH_OS 136
#define IDC_GLOBAL_GROUP 142
#define IDC_POLL_INTERVAL 143
#define IDC_UNIT_LIST 145
#define IDC_ABOUT 149
#define IDC_START_DELAY 150
#define IDC_HIDE 151
#define IDC_ALTERNATE_ICONS 152
#define IDC_SINGLE_ICON 154
#define IDC_METER_INTERVAL 156
#define IDC_KEYBOARD_LED 157
#define IDC_ONLINE_HELP 158
#define IDC_STATIC_ICON 159
#define IDC_MULTI_CPU 160

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
