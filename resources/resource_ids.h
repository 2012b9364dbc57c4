// Identifiers shared by the resource script and the code that loads them.
#pragma once

#define IDD_MAIN_DIALOG 102     // the main window's dialog template
#define IDI_APP_ICON 128        // the application icon
#define IDR_LOGO_PNG 129        // the logo, type "PNG"
#define IDR_PACKAGE 132         // the package resource, type "RES_DATA"
#define IDD_LICENSE_DIALOG 133  // the licence dialog's template
#define IDC_LICENSE_TEXT 1001   // the licence dialog's read-only text box
