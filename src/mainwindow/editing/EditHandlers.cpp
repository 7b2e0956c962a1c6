#include "mainwindow/editing/EditHandlers.h"

#include "mainwindow/AppContext.h"
#include "mainwindow/design/ControlRefresher.h"
#include "mainwindow/graph/FrameRateTest.h"
#include "mainwindow/MainControls.h"
#include "mainwindow/frmEQ.h"
#include "model/ParamDefaults.h"
#include "ops/ParamTable.h"
#include "widgets/ScrollBar.h"
#include "widgets/SimpControl.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QTimer>

namespace korva {

namespace {

constexpr uint8_t kInputAddress = 0xC3;
constexpr uint8_t kStartGroupAddress = 0xC4;
constexpr uint8_t kSaveModeAddress = 0xCB;
constexpr uint8_t kModeChangeAddress = 0xCD;
constexpr uint8_t kFbxAddress = 0xCF;

// The address a button's binding names, or the usual one when the design data gives none.
uint8_t AddressOr(const std::optional<ButtonBinding>& binding, uint8_t fallback) {
    return binding ? binding->Address : fallback;
}

} // namespace

EditHandlers::EditHandlers(frmEQ& window)
    : QObject(&window), window_(window), path_(window.Context().Link.Comm()),
      frameRate_(
          new FrameRateTest(window.Graph(), *window.Controls().Check2, *window.Controls().Timer1, this)) {}

void EditHandlers::Connect() {
    const MainControls& c = window_.Controls();
    for (size_t i = 0; i < c.MyScrollBar.size(); ++i) {
        connect(c.MyScrollBar[i], &ScrollBar::Change, this, [this, i] { MyScrollBar_Change(int(i)); });
    }
    for (size_t i = 0; i < c.MyButton.size(); ++i) {
        connect(c.MyButton[i], &SimpControl::Click, this, [this, i] { MyButton_Click(int(i)); });
    }
    for (int i = 0; i < 2; ++i) {
        connect(c.btnStartModeI[size_t(i)], &SimpControl::Click, this, [this, i] { btnStartModeI_Click(i); });
        connect(c.btnStartModeD[size_t(i)], &SimpControl::Click, this, [this, i] { btnStartModeD_Click(i); });
        connect(c.btnSaveMode[size_t(i)], &SimpControl::Click, this, [this, i] { btnSaveMode_Click(i); });
        connect(c.btnModeChange[size_t(i)], &SimpControl::Click, this, [this, i] { btnModeChange_Click(i); });
    }
    connect(c.btnUp2, &SimpControl::Click, this, &EditHandlers::btnUp2_Click);
    connect(c.btnDown2, &SimpControl::Click, this, &EditHandlers::btnDown2_Click);
    connect(c.btnEQByPass, &SimpControl::Click, this, &EditHandlers::btnEQByPass_Click);
    connect(c.btnReset, &SimpControl::Click, this, &EditHandlers::btnReset_Click);
    connect(c.SimpControl4, &SimpControl::Click, this, &EditHandlers::SimpControl4_Click);
    connect(c.SimpControl7, &SimpControl::Click, this, &EditHandlers::SimpControl7_Click);
    connect(c.btnUpload, &SimpControl::Click, this, &EditHandlers::btnUpload_Click);
    connect(c.Check2, &QCheckBox::clicked, this, &EditHandlers::Check2_Click);
    connect(c.Timer1, &QTimer::timeout, this, &EditHandlers::Timer1_Timer);
}

// ---- Panel edits ----

void EditHandlers::MyScrollBar_Change(int index) {
    const std::optional<SliderBinding>& binding = window_.Bindings().Slider(index);
    if (!binding) {
        return; // the effect panel's slider 6 is bound to nothing
    }
    AppContext& context = window_.Context();
    context.Undo.RecordUndoPointOnce();
    ScrollBar* slider = window_.Controls().MyScrollBar[size_t(index)];
    const int group = binding->Scope == BindingScope::Group ? context.Model.CurrentGroup : 0;
    const uint8_t value = uint8_t(slider->Value());
    context.Model.Store.at(group, binding->Address).DATA1 = value;
    window_.RefreshBoundControls(refresh::kDisplays, binding->Address);
    // The power-on limits reach the processor only with a full download; the parameter table says which.
    if (const ParamDef* def = FindParamAt(binding->Address, 0); def && def->Send == ParamSend::DownloadOnly) {
        return;
    }
    path_.WriteLocked(slider, group, binding->Address, value);
}

void EditHandlers::MyButton_Click(int index) {
    const std::optional<ButtonBinding>& binding = window_.Bindings().MyButtonPair(index / 2);
    if (!binding) {
        return;
    }
    ParamModel& model = window_.Context().Model;
    model.Store.at(model.CurrentGroup, binding->Address).DATA1 = uint8_t(index % 2);
    window_.RefreshBoundControls(refresh::kButtons, refresh::kNoFilter);
    path_.WriteLocked(window_.Controls().MyButton[size_t(index)], model.CurrentGroup, binding->Address,
                      EditPath::kWholeRecord);
}

void EditHandlers::btnUp2_Click() {
    const int value = window_.Controls().btnFBX->Value();
    StoreAndSendFbx(value != 0 ? value - 1 : value);
}

void EditHandlers::btnDown2_Click() {
    window_.Context().Undo.RecordUndoPoint();
    const int value = window_.Controls().btnFBX->Value();
    StoreAndSendFbx(value < kFbxHighest ? value + 1 : value);
}

// Written and sent even when the step did not change it (at either end of the range).
void EditHandlers::StoreAndSendFbx(int value) {
    const uint8_t address = AddressOr(window_.Bindings().Fbx(), kFbxAddress);
    window_.Controls().btnFBX->SetValue(value);
    window_.Context().Model.Store.at(0, address).DATA1 = uint8_t(value);
    path_.WriteLocked(&window_, 0, address, value);
}

void EditHandlers::btnEQByPass_Click() {
    AppContext& context = window_.Context();
    SimpControl* button = window_.Controls().btnEQByPass;
    const std::optional<ButtonBinding>& binding = window_.Bindings().Bypass();
    if (!binding || binding->Address == 0xFF) {
        button->SetValue(0); // a channel without a bypass switch
        return;
    }
    context.Undo.RecordUndoPoint();
    const uint8_t value = uint8_t(button->Value());
    const int group = context.Model.CurrentGroup;
    context.Model.Store.at(group, binding->Address).DATA1 = value;
    path_.WriteLocked(&window_, group, binding->Address, value);
    window_.RefreshBoundControls(refresh::kRedraw, refresh::kNoFilter);
}

void EditHandlers::btnReset_Click() {
    AppContext& context = window_.Context();
    if (context.Undo.IsRestoring()) {
        return; // a restore is still sending (see UndoHistory::IsRestoring)
    }
    context.Undo.RecordUndoPoint();
    InitParamDefaults(context.Model, true);
    window_.RefreshBoundControls(refresh::kAll, refresh::kNoFilter);
    QCoreApplication::processEvents();
    if (!path_.IsOnline()) {
        return;
    }
    const EditLock lock(&window_);
    // The points in slot order: the bands, then the high-cut, then the low-cut.
    const EqState& eq = context.Eq;
    const int group = context.Model.CurrentGroup;
    for (int p = 0; p < eq.PointCount && p < kEqPointSlots; ++p) {
        if (!path_.Write(group, eq.Points[size_t(p)].Address, EditPath::kWholeRecord)) {
            break; // the link is gone; the remaining points are not sent
        }
    }
}

void EditHandlers::Check2_Click() {
    frameRate_->Check2_Click();
}

void EditHandlers::Timer1_Timer() {
    frameRate_->Timer1_Timer();
}

// ---- Undo and redo ----

std::function<bool(int, int)> EditHandlers::RestoreSender() {
    if (!path_.IsOnline()) {
        return {};
    }
    return [this](int group, int address) { return path_.Write(group, address, EditPath::kWholeRecord); };
}

// A press while an earlier restore still sends its records is ignored by the history itself, so the
// buttons stay usable and the history stays consistent.
void EditHandlers::SimpControl4_Click() {
    if (window_.Context().Undo.Undo(RestoreSender())) {
        window_.RefreshBoundControls(refresh::kAll, refresh::kNoFilter);
    }
}

void EditHandlers::SimpControl7_Click() {
    if (window_.Context().Undo.Redo(RestoreSender())) {
        window_.RefreshBoundControls(refresh::kAll, refresh::kNoFilter);
    }
}

// ---- System settings ----

void EditHandlers::btnStartModeI_Click(int index) {
    const MainControls& c = window_.Controls();
    const EditLock lock(c.btnStartModeI[size_t(index)]);
    const uint8_t address = AddressOr(window_.Bindings().Input(), kInputAddress);
    uint8_t& stored = window_.Context().Model.Store.at(0, address).DATA1;
    int value = stored;
    if (index == 1 && value < kInputHighest) {
        ++value;
    } else if (index == 0 && value != 0) {
        --value;
    } else {
        return; // at the end of the range nothing is stored or sent
    }
    stored = uint8_t(value);
    window_.RefreshBoundControls(refresh::kButtons, refresh::kNoFilter);
    path_.Write(0, address, value);
}

void EditHandlers::btnStartModeD_Click(int index) {
    const uint8_t address = AddressOr(window_.Bindings().ShowStartMode(), kStartGroupAddress);
    uint8_t& stored = window_.Context().Model.Store.at(0, address).DATA1;
    if (index == 1 && stored < kStartGroupHighest) {
        ++stored;
    } else if (index == 0 && stored > 0) {
        --stored;
    }
    window_.RefreshBoundControls(refresh::kButtons, refresh::kNoFilter);
}

void EditHandlers::btnSaveMode_Click(int index) {
    const uint8_t address = AddressOr(window_.Bindings().SaveModePair(), kSaveModeAddress);
    window_.Context().Model.Store.at(0, address).DATA1 = uint8_t(index);
    window_.RefreshBoundControls(refresh::kButtons, refresh::kNoFilter);
}

void EditHandlers::btnModeChange_Click(int index) {
    const uint8_t address = AddressOr(window_.Bindings().ModeChangePair(), kModeChangeAddress);
    window_.Context().Model.Store.at(0, address).DATA1 = uint8_t(index);
    window_.RefreshBoundControls(refresh::kButtons, refresh::kNoFilter);
    path_.WriteLocked(window_.Controls().btnModeChange[size_t(index)], 0, address, index);
}

void EditHandlers::btnUpload_Click() {
    if (window_.Context().Undo.IsRestoring()) {
        return; // a restore is still sending (see UndoHistory::IsRestoring)
    }
    window_.Context().Link.Bulk().DownloadAllToDevice(false);
}

} // namespace korva
