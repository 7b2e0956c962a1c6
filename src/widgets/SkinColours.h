#pragma once
// The skin's palette: the colours skingen paints the skin images with, and the ones the application style
// gives the standard windows, so that both keep one look.

#include <QColor>

namespace korva::skincolours {

constexpr QRgb kWindowTop = qRgb(0x1e, 0x20, 0x24);
constexpr QRgb kWindowBottom = qRgb(0x15, 0x16, 0x19);
constexpr QRgb kPlate = qRgb(0x24, 0x27, 0x2c); // flat surface the controls sit on
constexpr QRgb kTitle = qRgb(0x20, 0x23, 0x28);
constexpr QRgb kEdgeDark = qRgb(0x0a, 0x0b, 0x0d);
constexpr QRgb kEdgeLight = qRgb(0x3b, 0x3f, 0x46);
constexpr QRgb kRecess = qRgb(0x13, 0x14, 0x17);
constexpr QRgb kBand = qRgb(0x2a, 0x2d, 0x33); // lighter rows and group headers
constexpr QRgb kText = qRgb(0xd6, 0xd9, 0xdd);
constexpr QRgb kTextDim = qRgb(0x8c, 0x93, 0x9c);
constexpr QRgb kTextFaint = qRgb(0x5a, 0x60, 0x69);
constexpr QRgb kAmber = qRgb(250, 186, 0); // the EQ curve colour
constexpr QRgb kAmberLight = qRgb(0xff, 0xd8, 0x5c);
constexpr QRgb kAmberDark = qRgb(0x6e, 0x51, 0x08);
constexpr QRgb kGreen = qRgb(0x3c, 0xd8, 0x6e);
constexpr QRgb kRed = qRgb(0xff, 0x4d, 0x3a);
constexpr QRgb kBlue = qRgb(100, 186, 250);  // effect high-cut curve
constexpr QRgb kMagenta = qRgb(250, 0, 186); // effect low-cut curve
constexpr QRgb kLcdTop = qRgb(0x09, 0x0a, 0x09);
constexpr QRgb kLcdBottom = qRgb(0x13, 0x14, 0x12);

} // namespace korva::skincolours
