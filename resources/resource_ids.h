/* The numbers of the library's resources and of the controls in its dialog templates: one home
   for the resource script and the C++ views. Plain defines, as the resource compiler reads them. */
#ifndef VEMO_RESOURCE_IDS_H
#define VEMO_RESOURCE_IDS_H

/* ---- dialog templates */
#define IDD_EDITOR          3000
#define IDD_EQ_PAGE         3001
#define IDD_PRESET_NAME     3016
#define IDD_CHAIN_PAGE      3021
#define IDD_COLOUR_WINDOW   3058
#define IDD_PARAM_PAGE      3100

/* ---- bitmaps */
#define IDB_TAB_PLATE       3005
#define IDB_LIST_IMAGES     3050
#define IDB_BACKGROUND      3060

/* ---- icons */
#define IDI_DELETE          3011
#define IDI_SAVE            3012
#define IDI_TAB_EQ          3014
#define IDI_TAB_PARAMS      3015
#define IDI_CONFIRM         3017
#define IDI_CLOSE           3018
#define IDI_CHECKED         3019
#define IDI_UNCHECKED       3020
#define IDI_CAPTION         3024
#define IDI_TAB_SPARE_1     3025
#define IDI_TAB_SPARE_2     3026
#define IDI_TAB_CHAIN       3031

/* ---- the window skin's popup system menu and its items */
#define IDM_SYSTEM          3059
#define IDM_SYS_TITLE       32770
#define IDM_SYS_RESTORE     32771
#define IDM_SYS_SIZE        32772
#define IDM_SYS_MINIMISE    32773
#define IDM_SYS_MAXIMISE    32774
#define IDM_SYS_SKIN        32775
#define IDM_SYS_CLOSE       32776
#define IDM_SYS_ABOUT       32777

/* ---- editor window (IDD_EDITOR) */
#define IDC_EDITOR_TABS     3000
#define IDC_EDITOR_STRIP    3152

/* ---- effect chain page (IDD_CHAIN_PAGE); the switches by EffectType */
#define IDC_CHAIN_HEADING   3004
#define IDC_CHAIN_SPARE     3005
#define IDC_CHAIN_TITLE     3006
#define IDC_CHAIN_MOVE_BOX  3012
#define IDC_CHAIN_SW_EQ     3070
#define IDC_CHAIN_SW_COMP   3072
#define IDC_CHAIN_SW_PITCH  3073
#define IDC_CHAIN_SW_DIST   3080
#define IDC_CHAIN_SW_ODRIVE 3079
#define IDC_CHAIN_SW_AM     3076
#define IDC_CHAIN_SW_ECHO   3069
#define IDC_CHAIN_SW_DRIFT  3071
#define IDC_CHAIN_SW_PHASER 3074
#define IDC_CHAIN_SW_DENOISE 3078
#define IDC_CHAIN_SW_CHORUS 3075
#define IDC_CHAIN_SW_REVERB 3077
#define IDC_CHAIN_SW_WAH    3081
#define IDC_CHAIN_SW_BASS   3084
#define IDC_CHAIN_SW_INVERT 3085
#define IDC_CHAIN_SW_VIBRATO 3087
#define IDC_CHAIN_UP        3082
#define IDC_CHAIN_DOWN      3083
#define IDC_CHAIN_LIST      3086
#define IDC_CHAIN_LOAD      3088
#define IDC_CHAIN_SAVE      3089
#define IDC_CHAIN_PLAY      3090
#define IDC_CHAIN_STOP      3091
#define IDC_CHAIN_SW_BOX    3150
#define IDC_CHAIN_LIST_BOX  3151

/* ---- equaliser page (IDD_EQ_PAGE): band slot 0 has its own slider number; slot k > 0 has
   slider IDC_EQ_BANDS + 2k, and every slot k its label IDC_EQ_BANDS + 1 + 2k */
#define IDC_EQ_BANDS        3003
#define IDC_EQ_SLIDER_0     3068
#define IDC_EQ_10_BANDS     3069
#define IDC_EQ_15_BANDS     3070
#define IDC_EQ_25_BANDS     3071
#define IDC_EQ_31_BANDS     3072
#define IDC_EQ_OPTION       3073
#define IDC_EQ_SCALE_LOW_1  3075
#define IDC_EQ_SCALE_MID_1  3076
#define IDC_EQ_SCALE_HIGH_1 3077
#define IDC_EQ_SCALE_LOW_2  3078
#define IDC_EQ_SCALE_MID_2  3079
#define IDC_EQ_SCALE_HIGH_2 3080
#define IDC_EQ_PRESETS      3081
#define IDC_EQ_SAVE         3082
#define IDC_EQ_DELETE       3083
#define IDC_EQ_LINKED       3084
#define IDC_EQ_PREAMP       3087
#define IDC_EQ_PREAMP_LABEL 3095

/* ---- preset name dialog (IDD_PRESET_NAME) */
#define IDC_NAME_CONFIRM    3082
#define IDC_NAME_EDIT       3083
#define IDC_NAME_GIVE_UP    3084

/* ---- colour settings window (IDD_COLOUR_WINDOW) */
#define IDC_COLOUR_SWATCH_1 3069
#define IDC_COLOUR_SWATCH_2 3070
#define IDC_COLOUR_SWATCH_3 3071
#define IDC_COLOUR_SWATCH_4 3072
#define IDC_COLOUR_CUSTOM   3073
#define IDC_COLOUR_HEADER   3082
#define IDC_COLOUR_BORDER   3083
#define IDC_COLOUR_SAVE     3084
#define IDC_COLOUR_RED      3068
#define IDC_COLOUR_GREEN    3074
#define IDC_COLOUR_BLUE     3075
#define IDC_COLOUR_ALPHA    3076
#define IDC_COLOUR_RED_TEXT 3004
#define IDC_COLOUR_GREEN_TEXT 3005
#define IDC_COLOUR_BLUE_TEXT 3008
#define IDC_COLOUR_ALPHA_TEXT 3010
#define IDC_COLOUR_RED_VALUE 3006
#define IDC_COLOUR_GREEN_VALUE 3007
#define IDC_COLOUR_BLUE_VALUE 3009
#define IDC_COLOUR_ALPHA_VALUE 3011
#define IDC_COLOUR_ALPHA_BOX 3153

/* ---- parameter page (IDD_PARAM_PAGE): row r has its label IDC_PARAM_ROWS + 3r, slider
   IDC_PARAM_ROWS + 3r + 1 and value text IDC_PARAM_ROWS + 3r + 2 */
#define IDC_PARAM_HEADING   3101
#define IDC_PARAM_CHOOSER   3102
#define IDC_PARAM_SWITCH    3103
#define IDC_PARAM_DEFAULTS  3104
#define IDC_PARAM_ROW_BOX   3105
#define IDC_PARAM_NOTE      3106
#define IDC_PARAM_ROWS      3110
#define PARAM_PAGE_ROWS     7
/* row r's check box, shown instead of its slider and value for an on/off value */
#define IDC_PARAM_CHECKS    3131

#endif
