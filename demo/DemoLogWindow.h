// The demo's main window: a text view streaming generated log lines, with
// mouse selection (Alt for columns), copy, Find and a menu that reaches the
// other sections.
#pragma once

// Opens the window and runs until the user closes it.
int RunLogWindow();
// The same window driven by a script with no one watching: stream and column
// selections, the outline style and the Find dialog, each saved as a bitmap
// screenshot into the demo's output folder. Returns 0 when every step worked.
int RunLogWindowTour();
