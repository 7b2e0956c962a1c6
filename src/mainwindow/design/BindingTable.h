#pragma once
// The parsed binding texts (TagNew) of the main window's controls. The design-time texts are read once,
// when the window loads; the run-time ones (bypass switch, point grid) are parsed as they are written.
// Each control's TagNew property always holds the text of its binding.

#include "model/Binding.h"

#include <QString>
#include <optional>
#include <vector>

namespace korva {

class ControlRegistry;
struct MainControls;

class BindingTable {
public:
    // Reads every design-time text. A malformed one is an error naming its line in the design data.
    bool ReadDesignTags(const MainControls& controls, const ControlRegistry& registry, QString* error);

    const std::optional<SliderBinding>& Slider(int index) const { return sliders_.at(size_t(index)); }
    const std::optional<DisplayBinding>& Display(int index) const { return displays_.at(size_t(index)); }
    // A two-button switch: both buttons share one address; the even one stands for 0, the odd one for 1.
    // Pair p of MyButton holds buttons 2p and 2p + 1.
    const std::optional<ButtonBinding>& MyButtonPair(int pair) const {
        return myButtonPairs_.at(size_t(pair));
    }
    const std::optional<ButtonBinding>& SaveModePair() const { return saveModePair_; }
    const std::optional<ButtonBinding>& ModeChangePair() const { return modeChangePair_; }
    const std::optional<ButtonBinding>& Input() const { return input_; }
    const std::optional<ButtonBinding>& ShowStartMode() const { return showStartMode_; }
    const std::optional<ButtonBinding>& Fbx() const { return fbx_; }
    const std::optional<ButtonBinding>& Lock() const { return lock_; }

    // The bypass switch of the current channel; 0xFF (or no binding) stands for none.
    const std::optional<ButtonBinding>& Bypass() const { return bypass_; }
    void SetBypass(const MainControls& controls, uint8_t address);

    // The point grid.
    const std::optional<PointValueBinding>& PointValue(int display) const {
        return pointValues_.at(size_t(display));
    }
    const std::optional<PointMarkerBinding>& PointMarker(int button) const {
        return pointMarkers_.at(size_t(button));
    }
    void BindPointValue(const MainControls& controls, int display, uint8_t address, int dataIndex, int point);
    void BindPointMarker(const MainControls& controls, int button, int point);
    void ClearPointGrid(const MainControls& controls);

private:
    std::vector<std::optional<SliderBinding>> sliders_;
    std::vector<std::optional<DisplayBinding>> displays_;
    std::vector<std::optional<ButtonBinding>> myButtonPairs_;
    std::optional<ButtonBinding> saveModePair_;
    std::optional<ButtonBinding> modeChangePair_;
    std::optional<ButtonBinding> input_;
    std::optional<ButtonBinding> showStartMode_;
    std::optional<ButtonBinding> fbx_;
    std::optional<ButtonBinding> lock_;
    std::optional<ButtonBinding> bypass_;
    std::vector<std::optional<PointValueBinding>> pointValues_;
    std::vector<std::optional<PointMarkerBinding>> pointMarkers_;
};

} // namespace korva
