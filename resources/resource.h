// Resource identifiers shared by the .rc file and the code.
#pragma once

// The lowest icon id is the executable's own icon in Explorer.
#define IDI_TORVA 1

// The screen-saver list in the display settings shows this string as the saver's name.
#define IDS_DESCRIPTION 1

#define IDC_LOGO_HAND 101

#define IDB_LOGO 201
#define IDB_CONFIG_LOGO 202
#define IDB_PREVIEW 203

#define IDD_CONFIG 301
#define IDC_LOGO 1001
#define IDC_SOUND_ON 1002
#define IDC_SOUND_OFF 1003
// Not IDOK: Enter on an option button must not save, only Enter or Space on the button itself.
#define IDC_OK 1004
// Shown only where the organisation has set the sound.
#define IDC_SET_BY_ORGANISATION 1005
