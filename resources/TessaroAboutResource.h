// Identifiers of the about box's template.
#pragma once

#define IDD_ABOUT 5100
#define IDC_ABOUT_PRODUCT 5101
#define IDC_ABOUT_PAGES 5102
#define IDC_ABOUT_TEXT 5103
