#include "mainwindow/design/ControlRefresher.h"

#include "eq/EqScales.h"
#include "mainwindow/AppContext.h"
#include "mainwindow/design/BindingTable.h"
#include "mainwindow/MainControls.h"
#include "mainwindow/editing/NavigationRules.h"
#include "model/EffectTables.h"
#include "ops/ParamUnits.h"
#include "widgets/ScrollBar.h"
#include "widgets/ShowNumber.h"
#include "widgets/SimpControl.h"

#include <QTimer>

namespace korva {

namespace {

// A switch pair shows its state only for the values 0 and 1; any other value leaves both buttons alone.
void SetPair(SimpControl* even, SimpControl* odd, int value) {
    if (value < 2) {
        even->SetValue(1 - value);
        odd->SetValue(value);
    }
}

} // namespace

ControlRefresher::ControlRefresher(AppContext& context, const MainControls& controls,
                                   const BindingTable& bindings)
    : context_(context), controls_(controls), bindings_(bindings) {}

void ControlRefresher::FollowChange(int origin, int address, bool afterWrite) {
    // The bypass switch redraws the graph after its write; every other edit is shown before it.
    if (afterWrite != (EditOrigin(origin) == EditOrigin::Bypass)) {
        return;
    }
    const uint32_t selected = uint32_t(context_.Eq.SelectedPoint);
    switch (EditOrigin(origin)) {
    case EditOrigin::Unshown:
        return;
    case EditOrigin::Slider:
        return RefreshBoundControls(refresh::kDisplays, uint32_t(address));
    case EditOrigin::Buttons:
        return RefreshBoundControls(refresh::kButtons, refresh::kNoFilter);
    case EditOrigin::Bypass:
        return RefreshBoundControls(refresh::kRedraw, refresh::kNoFilter);
    case EditOrigin::PointDrag:
        return RefreshBoundControls(refresh::kPointGrid | refresh::kKnobs | refresh::kRedraw, selected);
    case EditOrigin::PointKnob:
        return RefreshBoundControls(refresh::kPointGrid | refresh::kRedraw, selected);
    case EditOrigin::NumericEntry:
    case EditOrigin::PointSet:
        return RefreshBoundControls(refresh::kEqPoints | refresh::kPointGrid | refresh::kKnobs | refresh::kRedraw,
                                    refresh::kNoFilter);
    }
}

void ControlRefresher::RefreshBoundControls(uint32_t flags, uint32_t filter) {
    if (flags & refresh::kEqPoints) {
        BuildEqPoints(context_.Model, context_.Eq);
        SetKnobsFromPoint();
        UpdateSelectionIndicators();
    }
    if (flags & refresh::kDisplays) {
        RefreshDisplays(filter);
    }
    if (flags & refresh::kSliders) {
        RefreshSliders();
    }
    if (flags & refresh::kButtons) {
        RefreshButtons();
    }
    if (flags & refresh::kPointGrid) {
        UpdatePointButtons();
        RefreshPointDisplays(filter);
    }
    if (flags & refresh::kKnobs) {
        RefreshKnobsFromStore();
    }
    if (flags & refresh::kRedraw) {
        controls_.tmrDrawWave->start();
    }
}

void ControlRefresher::RefreshDisplays(uint32_t filter) {
    ParamModel& model = context_.Model;
    for (size_t i = 0; i < controls_.MyNumber.size(); ++i) {
        const std::optional<DisplayBinding>& b = bindings_.Display(int(i));
        if (!b || (filter != refresh::kNoFilter && b->Address != filter)) {
            continue;
        }
        // FormatParamValue may clamp the stored byte (an echo delay above the table), so it gets the cell.
        uint8_t& cell = model.Store.at(ScopeGroup(b->Scope, model.CurrentGroup), b->Address).DATA1;
        controls_.MyNumber[i]->SetValue(FormatParamValue(cell, b->KindText).toInt());
    }
}

void ControlRefresher::RefreshSliders() {
    const ParamModel& model = context_.Model;
    for (size_t i = 0; i < controls_.MyScrollBar.size(); ++i) {
        if (const std::optional<SliderBinding>& b = bindings_.Slider(int(i))) {
            controls_.MyScrollBar[i]->SetValue(model.Store.at(ScopeGroup(b->Scope, model.CurrentGroup), b->Address).DATA1);
        }
    }
}

void ControlRefresher::RefreshButtons() {
    const ParamModel& model = context_.Model;
    const auto common = [&model](const std::optional<ButtonBinding>& b) {
        return model.Store.at(0, b->Address).DATA1;
    };
    const auto current = [&model](const std::optional<ButtonBinding>& b) {
        return model.Store.at(model.CurrentGroup, b->Address).DATA1;
    };
    const MainControls& c = controls_;
    if (bindings_.Input()) {
        c.btnInput->SetValue(common(bindings_.Input()));
    }
    if (bindings_.SaveModePair()) {
        SetPair(c.btnSaveMode[0], c.btnSaveMode[1], common(bindings_.SaveModePair()));
    }
    if (bindings_.ModeChangePair()) {
        SetPair(c.btnModeChange[0], c.btnModeChange[1], common(bindings_.ModeChangePair()));
    }
    const std::optional<ButtonBinding>& bypass = bindings_.Bypass();
    c.btnEQByPass->SetValue(!bypass || bypass->Address == 0xFF ? 0 : current(bypass));
    for (size_t p = 0; 2 * p + 1 < c.MyButton.size(); ++p) {
        if (bindings_.MyButtonPair(int(p))) {
            SetPair(c.MyButton[2 * p], c.MyButton[2 * p + 1], current(bindings_.MyButtonPair(int(p))));
        }
    }
    // Values without a picture (power-on group 8 and up, feedback level 4 and up) leave the image alone.
    if (bindings_.ShowStartMode() && common(bindings_.ShowStartMode()) < 8) {
        c.btnShowStartMode->SetValue(common(bindings_.ShowStartMode()));
    }
    if (bindings_.Fbx() && common(bindings_.Fbx()) < 4) {
        c.btnFBX->SetValue(common(bindings_.Fbx()));
    }
}

void ControlRefresher::RefreshPointDisplays(uint32_t filter) {
    const ParamModel& model = context_.Model;
    for (size_t i = 0; i < controls_.ShowNumberDot.size(); ++i) {
        const std::optional<PointValueBinding>& b = bindings_.PointValue(int(i));
        if (!b || (filter != refresh::kNoFilter && uint32_t(b->Point) != filter)) {
            continue;
        }
        const ParamRecord& r = model.Store.at(model.CurrentGroup, b->Address);
        controls_.ShowNumberDot[i]->SetValue(EqShownValue(b->DataIndex, r.Field(b->DataIndex)));
    }
}

bool ControlRefresher::SelectedPointInUse() const {
    const EqState& eq = context_.Eq;
    return eq.SelectedPoint >= 0 && eq.SelectedPoint < kEqPointSlots &&
           eq.Points[size_t(eq.SelectedPoint)].InUse;
}

void ControlRefresher::RefreshKnobsFromStore() {
    if (!SelectedPointInUse()) {
        return;
    }
    const ParamModel& model = context_.Model;
    const EqPoint& p = context_.Eq.Points[size_t(context_.Eq.SelectedPoint)];
    const ParamRecord& r = model.Store.at(model.CurrentGroup, p.Address);
    controls_.MKnobFreq->SetValue(r.DATA1);
    controls_.MKnobDb->SetValue(r.DATA2);
    controls_.MKnobQ->SetValue(r.DATA3);
}

void ControlRefresher::SetKnobsFromPoint() {
    if (!SelectedPointInUse()) {
        return;
    }
    const EqPoint& p = context_.Eq.Points[size_t(context_.Eq.SelectedPoint)];
    controls_.MKnobFreq->SetValue(HzToFreqIndex(p.FrequencyHz));
    controls_.MKnobDb->SetValue(DbToGainIndex(p.GainDb));
    controls_.MKnobQ->SetValue(QToQIndex(p.Q));
}

void ControlRefresher::UpdateSelectionIndicators() {
    const bool online = context_.Link.Comm().IsOnline();
    if (SelectedPointInUse()) {
        const EqPoint& p = context_.Eq.Points[size_t(context_.Eq.SelectedPoint)];
        controls_.btnShowPointN->SetValue(
            PointIndicatorState(int(p.Kind), context_.Eq.SelectedPoint, online));
    }
    controls_.sLine1->SetValue(LineIndicatorState(online));
    controls_.sLine2->SetValue(LineIndicatorState(online));
}

void ControlRefresher::UpdatePointButtons() {
    const int selected = context_.Eq.SelectedPoint;
    for (size_t i = 0; i < controls_.btnShowDot1.size(); ++i) {
        const std::optional<PointMarkerBinding>& b = bindings_.PointMarker(int(i));
        controls_.btnShowDot1[i]->SetValue(b && b->Point == selected ? 1 : 0);
    }
}

} // namespace korva
