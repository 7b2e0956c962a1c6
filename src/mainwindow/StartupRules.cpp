#include "StartupRules.h"

#include "design/Twips.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace korva {

int RoundHalfEven(double x) {
    return int(std::nearbyint(x)); // the default rounding mode goes to the even neighbour on ties
}

int TwipsPerPixel(double dotsPerInch) {
    return dotsPerInch > 0 ? RoundHalfEven(1440.0 / dotsPerInch) : 0;
}

bool IsStandardDpi(int twipsPerPixelX) {
    return twipsPerPixelX == kTwipsPerPixel;
}

QString DpiWarningText() {
    return QStringLiteral(
        "应用程序检测到您的电脑的当前DPI设置为120或其它值（正常情况下是96DPI），本程序在非96DPI下显示可能不正"
        "常，因此建议将系统DPI更改为96DPI。\r\n\r\n"
        "XP系统请按下面方法更改： 在“桌面”上点击右键，选择“属性”，在“设置”选项卡上点“高级”，然后在“常规”"
        "选项卡上将DPI设置改为“正常尺寸（96DPI）”，重新启动电脑即可\r\n\r\n"
        "Win7系统请按下面方法更改： 在“桌面”上点击右键，选择“屏幕分辨率”，在下边的任务项处点击“放大或缩小文"
        "本和其它项目”然后选择较小(100%)默认，注销即可\r\n\r\n"
        "点击确定退出应用程序。");
}

int WindowHeightForScreen(QSize screenPx) {
    struct Entry {
        int width;
        int height;
        int windowHeight;
    };
    static const std::array<Entry, 4> table{{
        {1920, 1080, 900},
        {1366, 768, 720},
        {1440, 900, 800},
        {1400, 1050, 780},
    }};
    for (const Entry& e : table) {
        if (screenPx.width() == e.width && screenPx.height() == e.height) {
            return e.windowHeight;
        }
    }
    return RoundHalfEven(0.88 * screenPx.height());
}

int WindowWidthForHeight(int heightPx) {
    return RoundHalfEven(double(heightPx) * kDesignWidthPx / kDesignHeightPx);
}

QSize WindowSizeForScreen(QSize screenPx, QSize availablePx) {
    int height = WindowHeightForScreen(screenPx);
    if (!availablePx.isEmpty()) {
        // Rounded down, so that the width derived from it cannot round past the available width.
        const int heightForWidth =
            int(std::floor(double(availablePx.width()) * kDesignHeightPx / kDesignWidthPx));
        height = std::min({height, availablePx.height(), heightForWidth});
    }
    return {WindowWidthForHeight(height), height};
}

double ZoomFactorForHeight(int heightPx) {
    return double(heightPx) / kDesignHeightPx;
}

QPoint PointDisplayPosition(int display) {
    static constexpr int kTops[3] = {1600, 2500, 3330};
    if (display == 46) {
        return {1600, 1600};
    }
    if (display == 45) {
        return {PointDisplayPosition(42).x() + 960, 1600};
    }
    const int column = display / 3;
    return {2520 + 920 * column, kTops[display % 3]};
}

QPoint PointButtonPosition(int button) {
    static constexpr int kColumnOfButton15 = 45;
    static constexpr int kColumnOfButton16 = 46;
    const int display = button == 15 ? kColumnOfButton15 : button == 16 ? kColumnOfButton16 : 3 * button;
    return {PointDisplayPosition(display).x() + 40, 600};
}

} // namespace korva
