#include "mainwindow/editing/Navigator.h"

#include "design/Twips.h"
#include "mainwindow/AppContext.h"
#include "mainwindow/design/BindingTable.h"
#include "mainwindow/design/ControlRefresher.h"
#include "mainwindow/MainControls.h"
#include "mainwindow/editing/NavigationRules.h"
#include "mainwindow/StartupRules.h"
#include "mainwindow/WindowParts.h"
#include "model/ChannelTables.h"
#include "widgets/ShowNumber.h"
#include "widgets/SimpControl.h"

#include <QLineEdit>

namespace korva {

namespace {

constexpr int kLowCutButton = 16;
constexpr int kLowCutDisplay = 46;

} // namespace

Navigator::Navigator(WindowParts& window) : QObject(&window.Window), window_(window) {}

void Navigator::Connect() {
    const MainControls& c = window_.Controls;
    connect(c.btnUp1, &SimpControl::Click, this, &Navigator::btnUp1_Click);
    connect(c.btnDown1, &SimpControl::Click, this, &Navigator::btnDown1_Click);
    connect(c.btnLeft1, &SimpControl::Click, this, &Navigator::btnLeft1_Click);
    connect(c.btnRight1, &SimpControl::Click, this, &Navigator::btnRight1_Click);
    connect(c.btnParaShow, &SimpControl::Click, this, &Navigator::btnParaShow_Click);
    for (int channel : kChannelButtons) {
        connect(c.btnMode[size_t(channel)], &SimpControl::Click, this,
                [this, channel] { btnMode_Click(channel); });
    }
    for (int k = 0; k < kPanelCount; ++k) {
        connect(c.SimpControl6[size_t(k)], &SimpControl::MouseDown, this,
                [this, k](int, int, float x, float y) { SimpControl6_MouseDown(k, x, y); });
    }
}

void Navigator::btnUp1_Click() {
    ParamModel& model = window_.Context.Model;
    if (model.CurrentGroup > 0) {
        --model.CurrentGroup;
    }
    ShowGroup(window_.Controls.btnUp1);
}

void Navigator::btnDown1_Click() {
    ParamModel& model = window_.Context.Model;
    if (model.CurrentGroup < kGroupLast) {
        ++model.CurrentGroup;
    }
    ShowGroup(window_.Controls.btnDown1);
}

void Navigator::ShowGroup(QWidget* pressed) {
    AppContext& context = window_.Context;
    window_.Controls.btnShowMode->SetValue(context.Model.CurrentGroup);
    window_.RefreshBoundControls(refresh::kAll, refresh::kNoFilter);
    if (context.Device.IsOnline()) {
        pressed->setEnabled(false);
        context.Device.SelectGroup(context.Model.CurrentGroup);
        pressed->setEnabled(true);
    }
}

void Navigator::btnMode_Click(int channel) {
    AppContext& context = window_.Context;
    const MainControls& c = window_.Controls;
    for (int i : kChannelButtons) {
        c.btnMode[size_t(i)]->SetValue(0);
    }
    c.btnMode[size_t(channel)]->SetValue(1);
    c.btnParaShow->SetValue(0);
    context.Model.CurrentChannel = uint8_t(channel);

    c.Frame2[size_t(visiblePanel_)]->hide();
    c.Frame1->show();
    c.Text1->hide();

    window_.MoveChannelIndicator(ChannelIndicatorLeft(channel));
    window_.Bindings.SetBypass(c, BypassAddressTable().at(size_t(channel)));

    BuildEqPoints(context.Model, context.Eq);
    context.Eq.SelectedPoint = 0;
    BindPointGrid();
    window_.RefreshBoundControls(refresh::kAll, refresh::kNoFilter);
}

void Navigator::BindPointGrid() {
    const EqState& eq = window_.Context.Eq;
    const MainControls& c = window_.Controls;
    BindingTable& bindings = window_.Bindings;
    bindings.ClearPointGrid(c);
    for (int p = 0; p < eq.PointCount; ++p) {
        const EqPoint& point = eq.Points[size_t(p)];
        if (!point.InUse) {
            continue;
        }
        switch (point.Kind) {
        case EqPointKind::Peak:
            bindings.BindPointMarker(c, p, p);
            for (int field = 0; field < 3; ++field) {
                bindings.BindPointValue(c, 3 * p + field, point.Address, field, p);
            }
            break;
        case EqPointKind::HighCut:
            bindings.BindPointMarker(c, p, p);
            c.btnShowDot1[size_t(p)]->SetUserHightCutPic(true);
            bindings.BindPointValue(c, 3 * p, point.Address, 0, p);
            break;
        case EqPointKind::LowCut:
            bindings.BindPointMarker(c, kLowCutButton, p);
            bindings.BindPointValue(c, kLowCutDisplay, point.Address, 0, p);
            break;
        }
    }
    for (size_t i = 0; i < c.btnShowDot1.size(); ++i) {
        c.btnShowDot1[i]->setVisible(bindings.PointMarker(int(i)).has_value());
    }
    for (size_t i = 0; i < c.ShowNumberDot.size(); ++i) {
        c.ShowNumberDot[i]->setVisible(bindings.PointValue(int(i)).has_value());
    }
}

void Navigator::btnLeft1_Click() {
    EqState& eq = window_.Context.Eq;
    SelectPointAndShow(PreviousPoint(eq.SelectedPoint, eq.PointCount));
}

void Navigator::btnRight1_Click() {
    EqState& eq = window_.Context.Eq;
    SelectPointAndShow(NextPoint(eq.SelectedPoint, eq.PointCount));
}

void Navigator::SelectPointAndShow(int k) {
    window_.Context.Eq.SelectedPoint = k;
    ControlRefresher& refresher = window_.Refresher;
    refresher.SetKnobsFromPoint();
    refresher.UpdateSelectionIndicators();
    refresher.UpdatePointButtons();
    window_.RefreshBoundControls(refresh::kKnobs | refresh::kRedraw, refresh::kNoFilter);
}

void Navigator::SelectPoint(int k) {
    EqState& eq = window_.Context.Eq;
    if (k != eq.SelectedPoint) {
        eq.SelectedPoint = k;
        ControlRefresher& refresher = window_.Refresher;
        refresher.SetKnobsFromPoint();
        refresher.UpdateSelectionIndicators();
        refresher.UpdatePointButtons();
    }
    window_.RefreshBoundControls(refresh::kRedraw, refresh::kNoFilter);
}

void Navigator::btnParaShow_Click() {
    const MainControls& c = window_.Controls;
    c.btnParaShow->SetValue(1);
    c.Frame2[size_t(visiblePanel_)]->show();
    c.Frame1->hide();
}

void Navigator::SimpControl6_MouseDown(int, float x, float y) {
    // Tab areas are given in twips at design scale.
    const double toDesign = kTwipsPerPixel / window_.ZoomFactor();
    const std::optional<int> tab = PanelTabAt(x * toDesign, y * toDesign);
    if (tab) {
        ShowPanel(*tab);
    }
}

void Navigator::ShowPanel(int panel) {
    const MainControls& c = window_.Controls;
    visiblePanel_ = panel;
    for (int k = 0; k < kPanelCount; ++k) {
        c.Frame2[size_t(k)]->setVisible(k == panel);
    }
}

} // namespace korva
