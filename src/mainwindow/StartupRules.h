#pragma once
// The fixed rules of the main window's start-up: the display check, the window size for a screen, the
// zoom factor and the place of the EQ point grid. Pure functions, so they are tested without a screen.

#include <QPoint>
#include <QSize>
#include <QString>

namespace korva {

// The window is drawn for 1582 x 900 pixels and scaled as a whole.
constexpr int kDesignWidthPx = 1582;
constexpr int kDesignHeightPx = 900;

// Twips per pixel of a display with this many logical dots per inch (1440 twips per inch).
int TwipsPerPixel(double dotsPerInch);

// The program refuses to run unless a pixel is exactly kTwipsPerPixel twips wide (96 DPI).
bool IsStandardDpi(int twipsPerPixelX);
// The text of that refusal, shown with the warning icon before the program ends.
QString DpiWarningText();

// Outer window height for a screen of that many pixels: the four common screens have fixed heights,
// any other gets 0.88 of its height.
int WindowHeightForScreen(QSize screenPx);
// Width that keeps the design's proportions at this height.
int WindowWidthForHeight(int heightPx);
// The outer window size for a screen (logical pixels): the height of WindowHeightForScreen, made smaller
// where the window would not fit the part of the screen windows may take (an empty `available` is no
// limit). A 5:4 screen, say, is too narrow for 0.88 of its height at the design's proportions.
QSize WindowSizeForScreen(QSize screenPx, QSize availablePx);

// Window height / design height.
double ZoomFactorForHeight(int heightPx);

// The integer nearest to x, a tie going to the even one.
int RoundHalfEven(double x);

// Where the EQ point grid puts its displays and point buttons inside Frame1, in twips at design scale.
// ShowNumberDot 0..44 are three rows of 15 columns, 45 the column right of them, 46 the low-cut column on
// the left; btnShowDot1 0..14 head the columns, 15 the right column, 16 the low-cut column.
constexpr int kPointDisplayCount = 47;
constexpr int kPointButtonCount = 17;
QPoint PointDisplayPosition(int display);
QPoint PointButtonPosition(int button);

} // namespace korva
