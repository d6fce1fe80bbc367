// ZPoint: a screen position as the hosts store it. (-1, -1) is the library's
// "no position": let the platform place the window.
#pragma once

struct ZPoint {
    int x = -1;
    int y = -1;

    bool IsSet() const { return x != -1 || y != -1; }
    friend bool operator==(const ZPoint&, const ZPoint&) = default;
};
