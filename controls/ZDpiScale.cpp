#include "controls/ZDpiScale.h"

int AdjustForDpiX(CDC* dc, int value)
{
    return ::MulDiv(value, dc->GetDeviceCaps(LOGPIXELSX), 96);
}
