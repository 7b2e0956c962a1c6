#include "mainwindow/editing/EditHandlers.h"

#include "mainwindow/AppContext.h"
#include "mainwindow/design/BindingTable.h"
#include "mainwindow/design/ControlRefresher.h"
#include "mainwindow/graph/FrameRateTest.h"
#include "mainwindow/MainControls.h"
#include "mainwindow/editing/EditLock.h"
#include "mainwindow/WindowParts.h"
#include "processor/Processor.h"
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

EditHandlers::EditHandlers(WindowParts& window)
    : QObject(&window.Window), window_(window), device_(window.Context.Device),
      frameRate_(
          new FrameRateTest(window.Graph, *window.Controls.Check2, *window.Controls.Timer1, this)) {}

void EditHandlers::Connect() {
    const MainControls& c = window_.Controls;
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
    const std::optional<SliderBinding>& binding = window_.Bindings.Slider(index);
    if (!binding) {
        return; // the effect panel's slider 6 is bound to nothing
    }
    AppContext& context = window_.Context;
    context.Undo.RecordUndoPointOnce();
    ScrollBar* slider = window_.Controls.MyScrollBar[size_t(index)];
    const int group = ScopeGroup(binding->Scope, context.Model.CurrentGroup);
    // The power-on limits are only stored (they reach the processor with a full download): no lock, so
    // a drag of them is never interrupted.
    std::optional<EditLock> lock;
    if (device_.SendsOnItsOwn(binding->Address, 0)) {
        lock.emplace(slider);
    }
    device_.SetField(group, binding->Address, 0, uint8_t(slider->Value()), int(EditOrigin::Slider));
}

void EditHandlers::MyButton_Click(int index) {
    const std::optional<ButtonBinding>& binding = window_.Bindings.MyButtonPair(index / 2);
    if (!binding) {
        return;
    }
    const EditLock lock(window_.Controls.MyButton[size_t(index)]);
    device_.SetField(device_.Model().CurrentGroup, binding->Address, 0, uint8_t(index % 2),
                     int(EditOrigin::Buttons));
}

void EditHandlers::btnUp2_Click() {
    const int value = window_.Controls.btnFBX->Value();
    StoreAndSendFbx(value != 0 ? value - 1 : value);
}

void EditHandlers::btnDown2_Click() {
    window_.Context.Undo.RecordUndoPoint();
    const int value = window_.Controls.btnFBX->Value();
    StoreAndSendFbx(value < kFbxHighest ? value + 1 : value);
}

// Written and sent even when the step did not change it (at either end of the range).
void EditHandlers::StoreAndSendFbx(int value) {
    const uint8_t address = AddressOr(window_.Bindings.Fbx(), kFbxAddress);
    window_.Controls.btnFBX->SetValue(value);
    const EditLock lock(&window_.Window);
    device_.SetField(0, address, 0, uint8_t(value), int(EditOrigin::Unshown));
}

void EditHandlers::btnEQByPass_Click() {
    AppContext& context = window_.Context;
    SimpControl* button = window_.Controls.btnEQByPass;
    const std::optional<ButtonBinding>& binding = window_.Bindings.Bypass();
    if (!binding || binding->Address == 0xFF) {
        button->SetValue(0); // a channel without a bypass switch
        return;
    }
    context.Undo.RecordUndoPoint();
    const EditLock lock(&window_.Window);
    device_.SetField(context.Model.CurrentGroup, binding->Address, 0, uint8_t(button->Value()),
                     int(EditOrigin::Bypass));
}

void EditHandlers::btnReset_Click() {
    AppContext& context = window_.Context;
    if (context.Undo.IsRestoring()) {
        return; // a restore is still sending (see UndoHistory::IsRestoring)
    }
    context.Undo.RecordUndoPoint();
    device_.ResetCurrentChannel();
    QCoreApplication::processEvents();
    if (!device_.IsOnline()) {
        return;
    }
    const EditLock lock(&window_.Window);
    // The points in slot order: the bands, then the high-cut, then the low-cut.
    const EqState& eq = context.Eq;
    const int group = context.Model.CurrentGroup;
    for (int p = 0; p < eq.PointCount && p < kEqPointSlots; ++p) {
        if (!device_.WriteRecord(group, eq.Points[size_t(p)].Address)) {
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

// A press while an earlier restore still sends its records is ignored by the history itself, so the
// buttons stay usable and the history stays consistent.
void EditHandlers::SimpControl4_Click() {
    device_.Undo();
}

void EditHandlers::SimpControl7_Click() {
    device_.Redo();
}

// ---- System settings ----

void EditHandlers::btnStartModeI_Click(int index) {
    const MainControls& c = window_.Controls;
    const EditLock lock(c.btnStartModeI[size_t(index)]);
    const uint8_t address = AddressOr(window_.Bindings.Input(), kInputAddress);
    int value = device_.Model().Cell(0, address).DATA1;
    if (index == 1 && value < kInputHighest) {
        ++value;
    } else if (index == 0 && value != 0) {
        --value;
    } else {
        return; // at the end of the range nothing is stored or sent
    }
    device_.SetField(0, address, 0, uint8_t(value), int(EditOrigin::Buttons));
}

void EditHandlers::btnStartModeD_Click(int index) {
    const uint8_t address = AddressOr(window_.Bindings.ShowStartMode(), kStartGroupAddress);
    int value = device_.Model().Cell(0, address).DATA1;
    if (index == 1 && value < kStartGroupHighest) {
        ++value;
    } else if (index == 0 && value > 0) {
        --value;
    }
    device_.SetField(0, address, 0, uint8_t(value), int(EditOrigin::Buttons));
}

void EditHandlers::btnSaveMode_Click(int index) {
    const uint8_t address = AddressOr(window_.Bindings.SaveModePair(), kSaveModeAddress);
    device_.SetField(0, address, 0, uint8_t(index), int(EditOrigin::Buttons));
}

void EditHandlers::btnModeChange_Click(int index) {
    const uint8_t address = AddressOr(window_.Bindings.ModeChangePair(), kModeChangeAddress);
    const EditLock lock(window_.Controls.btnModeChange[size_t(index)]);
    device_.SetField(0, address, 0, uint8_t(index), int(EditOrigin::Buttons));
}

void EditHandlers::btnUpload_Click() {
    if (window_.Context.Undo.IsRestoring()) {
        return; // a restore is still sending (see UndoHistory::IsRestoring)
    }
    device_.Download(false);
}

} // namespace korva
