// Rectangles in their stored text form, and the monitor placement checks.
#include <gtest/gtest.h>

#include "controls/ZMonitor.h"
#include "controls/ZRect.h"
#include "foundation/ZArray.h"

#include <climits>
#include <cmath>
#include <string>

namespace {

TEST(RectText, ReadsBottomRightTopLeft)
{
    struct Case { const wchar_t* text; int left, top, right, bottom; const wchar_t* written; };  // written: ToString
    const Case cases[] = {
        {L"220, 110, 20, 10", 10, 20, 110, 220, L"220, 110, 20, 10"},
        {L"220,110,20,10", 10, 20, 110, 220, L"220, 110, 20, 10"},
        {L"  -5,\t-6 , -7px, -8", -8, -7, -6, -5, L"-5, -6, -7, -8"},
        {L"1, 2, 3, 4, 5, 6", 4, 3, 2, 1, L"1, 2, 3, 4"},
        {L"x, 2, , 4", 4, 0, 2, 0, L"0, 2, 0, 4"},               // fields without digits read 0
        {L"99999999999, -99999999999, 0, 0", 0, 0, INT_MIN, INT_MAX, L"2147483647, -2147483648, 0, 0"},
    };
    for (const Case& c : cases) {
        const ZRect rect{ZUnicodeString(c.text)};
        EXPECT_EQ(rect, ZRect(c.left, c.top, c.right, c.bottom)) << c.text;
        EXPECT_EQ(rect.ToString().str(), c.written) << c.text;
    }
}

TEST(RectText, RoundTripsEveryRectangle)
{
    const ZRect rects[] = {{}, {10, 20, 110, 220}, {-1280, -1024, 0, 0}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                           {5, 5, 1, 1}};
    for (const ZRect& rect : rects)
        EXPECT_EQ(ZRect(rect.ToString()), rect) << rect.ToString().str();
}

TEST(RectText, FewerThanFourFieldsThrowOutOfRange)
{
    for (const wchar_t* text : {L"1, 2, 3", L"", L"1", L"1,2"})
        EXPECT_THROW(ZRect{ZUnicodeString(text)}, ZArray<ZUnicodeString>::OutOfRange) << text;
}

TEST(RectValues, NormalizeAndSizes)
{
    ZRect rect(110, 220, 10, 20);
    EXPECT_EQ(rect.Width(), -100);
    rect.NormalizeRect();
    EXPECT_EQ(rect, ZRect(10, 20, 110, 220));
    EXPECT_EQ(rect.Height(), 200);
    EXPECT_EQ(CRect(rect.ToCRect()), CRect(10, 20, 110, 220));
    EXPECT_EQ(ZRect(CRect(1, 2, 3, 4)), ZRect(1, 2, 3, 4));

    ZRectF fractional(8.5, 9.5, 1.25, 2.25);
    fractional.NormalizeRect();
    EXPECT_EQ(fractional.Left(), 1.25);
    EXPECT_EQ(fractional.Right(), 8.5);
    EXPECT_EQ(fractional.Top(), 2.25);
    EXPECT_EQ(fractional.Bottom(), 9.5);
    EXPECT_EQ(fractional.Width(), 7.25);
}

TEST(RectValues, FractionalRectanglesAreCoveredByTheirIntegerOnes)
{
    struct Case { double left, top, right, bottom; CRect expected; };
    const Case cases[] = {
        {0.5, 0.5, 10.2, 10.2, CRect(0, 0, 11, 11)},
        {-0.5, -1.7, -0.2, 3.0, CRect(0, -1, 0, 3)},  // truncated toward zero, ceiling up
        {1.0, 2.0, 3.0, 4.0, CRect(1, 2, 3, 4)},
        {-1e12, std::nan(""), 1e12, 5e9, CRect(INT_MIN, 0, INT_MAX, INT_MAX)},  // clamped, never wrapped
    };
    for (const Case& c : cases)
        EXPECT_EQ(ZRectF(c.left, c.top, c.right, c.bottom).ToCRect(), c.expected) << c.left << " " << c.right;
    EXPECT_EQ(ZRectF(CRect(-3, 4, 5, 6)).ToCRect(), CRect(-3, 4, 5, 6));
}

// --- monitors ------------------------------------------------------------------

CRect PrimaryWorkArea()
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcWork;
}

TEST(Monitors, RectanglesOffEveryScreenNeedRepositioning)
{
    const CRect work = PrimaryWorkArea();
    ASSERT_FALSE(work.IsRectEmpty());
    struct Case { const char* name; ZRectF rect; bool needs; };
    const Case cases[] = {
        {"inside", ZRectF(work.left + 10, work.top + 10, work.left + 200, work.top + 100), false},
        {"one pixel over the right edge", ZRectF(work.right - 1, work.top, work.right + 500, work.top + 50), false},
        {"a fraction over the bottom edge", ZRectF(work.left, work.bottom - 0.5, work.left + 50, work.bottom + 400),
         false},
        {"just right of every screen", ZRectF(work.right, work.top, work.right + 500, work.top + 50), true},
        {"where a detached screen was", ZRectF(-3000, -2000, -2000, -1200), true},
        {"far below", ZRectF(0, 1e7, 100, 1e7 + 100), true},
    };
    if (::GetSystemMetrics(SM_CMONITORS) != 1)
        GTEST_SKIP() << "the cases assume one screen";
    for (const Case& c : cases)
        EXPECT_EQ(WindowNeedsRepositioning(c.rect), c.needs) << c.name;
}

TEST(Monitors, OneScreenAtTheOriginAllowsNoNegativeCoordinates)
{
    if (::GetSystemMetrics(SM_CMONITORS) != 1 || ::GetSystemMetrics(SM_XVIRTUALSCREEN) != 0 ||
        ::GetSystemMetrics(SM_YVIRTUALSCREEN) != 0)
        GTEST_SKIP() << "the case needs a single screen at the origin";
    EXPECT_FALSE(NegativeCoordinatesAreValid());
}

}  // namespace
