#pragma once

// Resource identifiers, shared by the resource script and the code. Kept to
// plain #defines because the resource compiler reads this file too.

#define IDS_MAIN_WINDOW_TITLE 103  // "Vestrel Pelvar Plug-In"
#define IDS_WINDOW_CLASS 109       // "TRAYICON2"

#define IDR_CONTEXT_MENU 109
#define IDR_ACCELERATORS 109
#define IDD_ABOUT 103

#define IDM_ABOUT 104
#define IDM_QUIT 105
#define IDM_UNHANDLED 0xFFFF  // "&Hilfe": never shown, nothing handles it

#define IDI_STANDBY 129    // grey, also the program's icon
#define IDI_WAITING 131    // yellow
#define IDI_CONNECTED 132  // green
