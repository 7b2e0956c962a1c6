#include "NavigationRules.h"

#include "model/ListText.h"

#include <QString>
#include <stdexcept>
#include <vector>

namespace korva {

int ChannelIndicatorLeft(int channel) {
    static const std::vector<int> table = [] {
        const auto parsed = ParseListText(u"1500,3500,3300,5400,9500,11240,7200,9500,9500");
        if (!parsed) {
            throw std::logic_error("malformed channel indicator table");
        }
        return *parsed;
    }();
    return table.at(size_t(channel));
}

std::optional<int> PanelTabAt(double xTwips, double yTwips) {
    struct Tab {
        double left;
        double right; // exclusive
    };
    static constexpr Tab kTabs[kPanelCount] = {{10725, 12360}, {12510, 14175}, {14295, 15990}};
    if (yTwips < 270 || yTwips > 825) {
        return std::nullopt;
    }
    for (int k = 0; k < kPanelCount; ++k) {
        if (xTwips >= kTabs[k].left && xTwips < kTabs[k].right) {
            return k;
        }
    }
    return std::nullopt;
}

int NextPoint(int selected, int pointCount) {
    if (pointCount <= 0) {
        return 0;
    }
    return selected + 1 >= pointCount ? 0 : selected + 1;
}

int PreviousPoint(int selected, int pointCount) {
    if (pointCount <= 0) {
        return 0;
    }
    return selected <= 0 ? pointCount - 1 : selected - 1;
}

int PointIndicatorState(int kind, int band, bool online) {
    static constexpr int kOfflineOffset = 18;
    const int state = kind == 1 ? 15 : kind == 2 ? 16 : band;
    return online ? state : state + kOfflineOffset;
}

} // namespace korva
