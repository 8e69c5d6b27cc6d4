#pragma once
// Resource ids shared by the resource script and the code (plain macros: windres reads it).
#define IDI_PICTORN 1

// About box
#define IDD_ABOUT 3000
#define IDC_ABOUT_ICON 3001
#define IDC_ABOUT_PROGTITLE 3002
#define IDC_ABOUT_VERSION 3003
#define IDC_ABOUT_COPYRIGHT 3004
#define IDC_ABOUT_COPYRIGHT2 3005
#define IDC_ABOUT_TEXT4 3006
#define IDC_ABOUT_TEXT5 3007
#define IDC_ABOUT_URL 3008
#define IDC_ABOUT_OK 3009
#define IDC_ABOUT_LINE_TOP 3010
#define IDC_ABOUT_LINE_BOTTOM 3011
