#pragma once
// Fixed rules of moving between groups, channels, points and panels: where the channel indicator sits,
// which tab of a panel background was hit, and which picture the selection indicators show.

#include <optional>

namespace korva {

constexpr int kGroupLast = 7;
constexpr int kPanelCount = 3;

// Left edge of the indicator under channel button i, in twips at design scale.
int ChannelIndicatorLeft(int channel);

// The channels the main window has a button for.
constexpr int kChannelButtons[] = {0, 2, 3, 6};

// The panel whose tab contains (x, y), both in twips at design scale, on a panel background.
std::optional<int> PanelTabAt(double xTwips, double yTwips);

// Next and previous point, wrapping around at both ends.
int NextPoint(int selected, int pointCount);
int PreviousPoint(int selected, int pointCount);

// State of btnShowPointN for the selected point: kind 0 band (with its band number), 1 high-cut, 2 low-cut;
// the offline pictures follow the online ones 18 further on.
int PointIndicatorState(int kind, int band, bool online);
// State of sLine1 and sLine2.
inline int LineIndicatorState(bool online) {
    return online ? 0 : 1;
}

} // namespace korva
