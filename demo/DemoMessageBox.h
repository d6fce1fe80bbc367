// Demo section: the library's message boxes, closed automatically.
#pragma once

void ShowMessageBoxes();
