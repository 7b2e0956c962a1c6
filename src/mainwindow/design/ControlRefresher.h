#pragma once
// Copies the parameter image into the controls bound to it. RefreshBoundControls does it by flag bits, in
// a fixed order: 0x40 rebuilds the EQ points and sets the knobs and indicators from the selected point,
// 0x01 the digit displays (only those of the filter address unless it is 255), 0x02 the sliders (the
// filter does not apply), 0x04 the buttons, 0x08 the point buttons and point displays (only those of the
// filter point unless it is 255), 0x10 the knobs from the store, 0x20 asks for a graph redraw.

#include <cstdint>

class QTimer;

namespace korva {

struct AppContext;
class BindingTable;
struct MainControls;

namespace refresh {
constexpr uint32_t kEqPoints = 0x40;
constexpr uint32_t kDisplays = 0x01;
constexpr uint32_t kSliders = 0x02;
constexpr uint32_t kButtons = 0x04;
constexpr uint32_t kPointGrid = 0x08;
constexpr uint32_t kKnobs = 0x10;
constexpr uint32_t kRedraw = 0x20;
constexpr uint32_t kAll = 0xFF;
constexpr uint32_t kNoFilter = 255;
} // namespace refresh

// Which control changed a parameter: the handlers tag their writes to the processor with it, and it says
// which bound controls follow the change (the control that made it shows it already).
enum class EditOrigin : int {
    Unshown = 0,  // nothing follows (a button that shows its own new value)
    Slider,       // the displays of the slider's address
    Buttons,      // every button pair and single button
    Bypass,       // the graph redraws, once the write has ended
    PointDrag,    // the selected point's displays and knobs, the graph
    PointKnob,    // the selected point's displays, the graph
    NumericEntry, // the point list, every point display, the knobs, the graph
    PointSet,     // as NumericEntry: several points set at once (a fitted or imported curve)
};

class ControlRefresher {
public:
    ControlRefresher(AppContext& context, const MainControls& controls, const BindingTable& bindings);

    void RefreshBoundControls(uint32_t flags, uint32_t filter);
    // The controls that follow a change of address made by origin (an EditOrigin): when the image
    // changed (afterWrite false) or when its write to the processor has ended (true).
    void FollowChange(int origin, int address, bool afterWrite);

    // The knobs show the selected point's frequency, gain and Q indices (no change event).
    void SetKnobsFromPoint();
    // btnShowPointN shows which point is selected, sLine1/sLine2 the link state, in online or offline
    // pictures.
    void UpdateSelectionIndicators();
    // The point button of the selected point shows pressed, all others released.
    void UpdatePointButtons();

private:
    void RefreshDisplays(uint32_t filter);
    void RefreshSliders();
    void RefreshButtons();
    void RefreshPointDisplays(uint32_t filter);
    void RefreshKnobsFromStore();
    bool SelectedPointInUse() const;

    AppContext& context_;
    const MainControls& controls_;
    const BindingTable& bindings_;
};

} // namespace korva
