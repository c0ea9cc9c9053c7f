// Resource and control ids shared by the resource script and the settings
// pages. Plain macros, because the resource compiler reads this file too.
#pragma once

// The icon of the sheet, the About box and the preview window's class.
#define IDI_SAVER 5

// Dialog templates: one per page, the About box and the hidden host.
#define IDD_STATIC_PAGE 9
#define IDD_PLAIN_PAGE 105
#define IDD_BOUNCE_PAGE 106
#define IDD_MANY_PAGE 107
#define IDD_FADE_PAGE 108
#define IDD_GENERAL_PAGE 109
#define IDD_ABOUT 112
#define IDD_SETTINGS_HOST 2003
#define IDD_DRIP_PAGE 2004
#define IDD_FALLING_PAGE 2005

// Controls of the pages.
#define IDC_SPEED 1012
#define IDC_ENABLED 1014
#define IDC_GRAVITY 1015
#define IDC_BOUNCE_SIDES 1016
#define IDC_DELAY 1017
#define IDC_HIDE_OPTIONS 1018
#define IDC_RANDOM_POSITIONS 1019
#define IDC_CHANGE_MODE 1021
#define IDC_MINUTES 1022
#define IDC_MINUTES_ARROWS 1023
#define IDC_MINUTES_LABEL 1024
#define IDC_IGNORE_KEYS 1025
#define IDC_IGNORE_CLICKS 1026
#define IDC_IGNORE_MOVEMENT 1027
#define IDC_ABOUT_OK 1029
#define IDC_PREVIEW 1030
#define IDC_SAVER_NAME 1035
#define IDC_DESCRIPTION 1036
#define IDC_WEB_ADDRESS 1037
#define IDC_FADE_IN_DISTANCE 1039
#define IDC_TILE 1040
#define IDC_LOGO_COUNT 1042
#define IDC_LOGO_COUNT_ARROWS 1043
#define IDC_DIRECTION 1044
