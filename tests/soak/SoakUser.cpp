#include "SoakUser.h"

#include "EditTestSupport.h"
#include "SoakRandom.h"

#include "eq/GraphLayout.h"
#include "mainwindow/design/BindingTable.h"
#include "mainwindow/graph/GraphView.h"
#include "mainwindow/editing/Navigator.h"
#include "mainwindow/editing/NumericEntry.h"
#include "mainwindow/presets/PresetHandlers.h"
#include "widgets/ScrollBar.h"
#include "widgets/ShowNumber.h"
#include "widgets/SimpControl.h"

#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <vector>

namespace korva::soak {

using test::Move;
using test::Press;
using test::Release;
using test::SendMouse;

namespace {

constexpr int kChannelButtons[] = {0, 2, 3, 6};

bool Usable(const QWidget* widget) {
    return widget && widget->isEnabled();
}

QPointF Centre(const QWidget* widget) {
    return QPointF(widget->width() / 2.0, widget->height() / 2.0);
}

// A key press and release sent straight to the control; keys it leaves alone go on to its parent.
// (QTest::keyClick would warn about each of those.)
void KeyClick(QWidget* widget, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

// The value `steps` positions away from where the control stands.
int ValueSteps(const ScrollBar& control, int steps) {
    const ScrollBarGeometry g = control.Geometry();
    return g.ValueAt(std::clamp(control.Position() + steps, 0, g.maxValue));
}

} // namespace

void ClickOn(QWidget* widget) {
    Press(widget, Centre(widget));
    Release(widget, Centre(widget));
}

struct SoakUser::ActionKind {
    const char* Name;
    int Weight;
    void (SoakUser::*Run)();
    bool Nestable; // makes sense while another control's write waits
};

// Weights per hundred actions, roughly.
std::span<const SoakUser::ActionKind> SoakUser::Actions() {
    static constexpr ActionKind kActions[] = {
        {"slider", 14, &SoakUser::MoveSlider, true},
        {"knob", 10, &SoakUser::TurnKnob, true},
        {"graph drag", 10, &SoakUser::DragPoint, false},
        {"graph press beside", 5, &SoakUser::PressBesidePoint, false},
        {"cursor keys", 8, &SoakUser::CursorKeys, true},
        {"wheel", 5, &SoakUser::WheelNotch, true},
        {"numeric entry", 7, &SoakUser::TypeValue, false},
        {"switch pair", 5, &SoakUser::FlipSwitch, true},
        {"fbx step", 3, &SoakUser::StepFbx, true},
        {"bypass", 3, &SoakUser::ToggleBypass, true},
        {"reset", 2, &SoakUser::ResetChannel, true},
        {"group", 4, &SoakUser::StepGroup, true},
        {"channel", 4, &SoakUser::ChooseChannel, true},
        {"point", 4, &SoakUser::StepPoint, true},
        {"panel", 2, &SoakUser::ShowPanel, true},
        {"tone", 4, &SoakUser::MoveTone, true},
        {"system setting", 6, &SoakUser::SystemSetting, true},
        {"undo", 5, &SoakUser::Undo, true},
        {"redo", 4, &SoakUser::Redo, true},
        {"download", 1, &SoakUser::Download, true},
        {"preset save", 1, &SoakUser::SavePreset, true},
        {"preset import", 1, &SoakUser::ImportPreset, true},
        {"pause", 3, &SoakUser::Pause, false},
    };
    return kActions;
}

SoakUser::SoakUser(test::TestWorld& world, SoakRandom& random, PresetShelf& presets)
    : world_(world), random_(random), current_(&random), presets_(presets) {
    world.Window->Presets().SetFileDialogs(presets.Dialogs);
}

int SoakUser::Choose() {
    std::vector<int> weights;
    for (const ActionKind& kind : Actions()) {
        weights.push_back(kind.Weight);
    }
    return int(random_.Weighted(weights));
}

const char* SoakUser::Name(int action) {
    return Actions()[size_t(action)].Name;
}

void SoakUser::Run(int action) {
    RunWith(random_, action);
}

void SoakUser::RunWith(SoakRandom& random, int action) {
    SoakRandom* outer = current_;
    current_ = &random;
    ++counts_[QString::fromLatin1(Name(action))];
    (this->*Actions()[size_t(action)].Run)();
    current_ = outer;
}

void SoakUser::RunLater() {
    int action = Choose();
    while (!Actions()[size_t(action)].Nestable) {
        action = Choose();
    }
    const uint32_t seed = random_.NextSeed();
    QTimer::singleShot(random_.Int(0, 25), this, [this, action, seed] {
        // A drag or slider movement in progress holds the mouse: no other control can be clicked.
        if (stopped_ || gesture_) {
            return;
        }
        ++nestedActions_;
        SoakRandom own(seed);
        RunWith(own, action);
    });
}

void SoakUser::MaybePump() {
    if (R().Chance(0.3)) {
        if (R().Chance(0.7)) {
            QCoreApplication::processEvents();
        } else {
            QTest::qWait(R().Int(1, 5));
        }
    }
}

QString SoakUser::Summary() const {
    QStringList parts;
    for (const auto& [name, count] : counts_) {
        parts << QStringLiteral("%1 %2").arg(name).arg(count);
    }
    return parts.join(QStringLiteral(", "));
}

// ---- Sliders and knobs ----

void SoakUser::MoveSlider() {
    const MainControls& c = world_.C();
    Drag(c.MyScrollBar[size_t(R().Int(0, int(c.MyScrollBar.size()) - 1))], R().Int(1, 6));
}

void SoakUser::TurnKnob() {
    const MainControls& c = world_.C();
    Drag(R().Pick({c.MKnobFreq, c.MKnobDb, c.MKnobQ}), R().Int(1, 3));
}

// Several changes in a row, as a drag raises them: some far, some a step or two, now and then a value
// beyond the control's range (the control limits it). Only a change of value raises Change.
void SoakUser::Drag(ScrollBar* control, int changes) {
    gesture_ = true;
    for (int n = changes; n > 0 && Usable(control); --n) {
        const int before = control->Value();
        const int value = R().Chance(0.45)  ? control->Geometry().ValueAt(R().Int(0, control->MaxValue()))
                          : R().Chance(0.9) ? ValueSteps(*control, R().Int(-3, 3))
                                            : R().Int(0, 255);
        control->SetValue(value);
        if (control->Value() != before) {
            emit control->Change();
        }
        MaybePump();
    }
    gesture_ = false;
}

void SoakUser::MoveTone() {
    ScrollBar* tone = world_.C().ScrollTone;
    if (!Usable(tone)) {
        return;
    }
    const int before = tone->Value();
    tone->SetValue(R().Int(0, tone->MaxValue()));
    if (tone->Value() != before) {
        emit tone->Change();
    }
}

// ---- The graph ----

// Pressed on a marker (or anywhere), moved about - also far outside the canvas - and let go.
void SoakUser::DragPoint() {
    const EqState& eq = world_.Context.Eq;
    GraphView* graph = world_.C().Picture1;
    if (eq.PointCount <= 0) {
        return;
    }
    const GraphGeometry& g = eq.Geometry;
    QPointF at = MarkerCentre(g, eq.Points[size_t(R().Int(0, eq.PointCount - 1))]);
    at += QPointF(R().Real(-12, 12), R().Real(-12, 12));
    if (R().Chance(0.2)) {
        at = QPointF(R().Real(0, g.CanvasWidth), R().Real(0, g.CanvasHeight));
    }
    gesture_ = true;
    Press(graph, at);
    for (int n = R().Int(0, 8); n > 0; --n) {
        if (R().Chance(0.3)) {
            at = QPointF(R().Real(-80, g.CanvasWidth + 80), R().Real(-80, g.CanvasHeight + 80));
        } else {
            at += QPointF(R().Real(-40, 40), R().Real(-30, 30));
        }
        Move(graph, at);
        MaybePump(); // lets the graph redraw and send the pending write
    }
    Release(graph, at);
    gesture_ = false;
}

// One or two steps of the selected point towards a press beside it.
void SoakUser::PressBesidePoint() {
    const EqState& eq = world_.Context.Eq;
    if (eq.SelectedPoint < 0 || eq.SelectedPoint >= eq.PointCount) {
        return;
    }
    GraphView* graph = world_.C().Picture1;
    const QPointF marker = MarkerCentre(eq.Geometry, eq.Points[size_t(eq.SelectedPoint)]);
    const double far = R().Pick({-1.0, 1.0}) * R().Real(10, 60);
    const double near = R().Real(-22, 22);
    const QPointF at = marker + (R().Chance(0.5) ? QPointF(far, near) : QPointF(near, far));
    Press(graph, at);
    Release(graph, at);
    if (R().Chance(0.3)) {
        SendMouse(graph, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
        Release(graph, at);
    }
}

void SoakUser::CursorKeys() {
    GraphView* graph = world_.C().Picture1;
    for (int n = R().Int(1, 5); n > 0; --n) {
        KeyClick(graph, R().Pick({Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down}));
        MaybePump();
    }
}

void SoakUser::WheelNotch() {
    test::Wheel(world_.C().Picture1, R().Pick({120, -120, 120, -120, 240, 60}));
}

// ---- Typed values ----

void SoakUser::TypeValue() {
    const MainControls& c = world_.C();
    std::vector<int> open;
    for (size_t i = 0; i < c.ShowNumberDot.size(); ++i) {
        const ShowNumber* display = c.ShowNumberDot[i];
        if (!display->isHidden() && Usable(display) && world_.Window->Bindings().PointValue(int(i))) {
            open.push_back(int(i));
        }
    }
    if (open.empty()) {
        return;
    }
    const int index = open[size_t(R().Int(0, int(open.size()) - 1))];
    ClickOn(c.ShowNumberDot[size_t(index)]);
    QLineEdit* text1 = c.Text1;
    if (text1->isHidden() || !Usable(text1)) {
        return;
    }
    QString text;
    bool notANumber = false;
    const double kind = R().Real(0, 1);
    if (kind < 0.75) {
        if (!ShowsTenths(index)) {
            text = QString::number(R().Int(0, 30000));
        } else if (index % 3 == 1) {
            text = QString::number(R().Real(-20, 20), 'f', R().Int(0, 2));
        } else {
            text = QString::number(R().Real(0, 18), 'f', R().Int(0, 2));
        }
    } else if (kind < 0.95) {
        text = R().Pick({"abc", "1e3", "--2", "nan", "1.2.3", "12dB", "0x10", "+-1", "inf", "."});
        notANumber = true;
    }
    text1->selectAll();
    if (text.isEmpty()) {
        KeyClick(text1, Qt::Key_Backspace);
    } else {
        QTest::keyClicks(text1, text);
    }
    if (R().Chance(0.9)) {
        if (notANumber && !text1->isHidden()) {
            ++notANumberEntries_;
        }
        KeyClick(text1, R().Pick({Qt::Key_Return, Qt::Key_Enter}));
    } else {
        QFocusEvent lost(QEvent::FocusOut, Qt::MouseFocusReason);
        QCoreApplication::sendEvent(text1, &lost);
    }
}

// ---- Buttons ----

void SoakUser::FlipSwitch() {
    const MainControls& c = world_.C();
    ClickOn(c.MyButton[size_t(R().Int(0, int(c.MyButton.size()) - 1))]);
}

void SoakUser::StepFbx() {
    ClickOn(R().Chance(0.5) ? world_.C().btnUp2 : world_.C().btnDown2);
}

void SoakUser::ToggleBypass() {
    ClickOn(world_.C().btnEQByPass);
}

void SoakUser::ResetChannel() {
    ClickOn(world_.C().btnReset);
}

void SoakUser::StepGroup() {
    ClickOn(R().Chance(0.5) ? world_.C().btnUp1 : world_.C().btnDown1);
}

void SoakUser::ChooseChannel() {
    ClickOn(world_.C().btnMode[size_t(kChannelButtons[R().Int(0, 3)])]);
}

void SoakUser::StepPoint() {
    ClickOn(R().Chance(0.5) ? world_.C().btnLeft1 : world_.C().btnRight1);
}

void SoakUser::ShowPanel() {
    if (!world_.Window->isEnabled()) {
        return;
    }
    world_.Window->Navigation().ShowPanel(R().Int(0, 2));
    ClickOn(world_.C().btnParaShow);
}

void SoakUser::SystemSetting() {
    const MainControls& c = world_.C();
    const size_t i = size_t(R().Int(0, 1));
    ClickOn(R().Pick({c.btnStartModeI[i], c.btnStartModeD[i], c.btnSaveMode[i], c.btnModeChange[i]}));
}

void SoakUser::Undo() {
    for (int n = R().Int(1, 4); n > 0; --n) {
        ClickOn(world_.C().SimpControl4);
        MaybePump();
    }
}

void SoakUser::Redo() {
    for (int n = R().Int(1, 3); n > 0; --n) {
        ClickOn(world_.C().SimpControl7);
        MaybePump();
    }
}

void SoakUser::Download() {
    SimpControl* button = world_.C().btnUpload;
    if (Usable(button) && !world_.Comm().IsOnline()) {
        ++offlineDownloads_; // "还没有连接到目标机。"
    }
    ClickOn(button);
}

// Three files, each saved over now and then; the names carry the extension, so no question is asked.
void SoakUser::SavePreset() {
    const QString name = presets_.Folder.filePath(QStringLiteral("soak-%1.PA").arg(R().Int(0, 2)));
    presets_.Dialogs.saveName = name;
    ClickOn(world_.C().btnSave);
    if (!savedPresets_.contains(name) && QFileInfo::exists(name)) {
        savedPresets_ << name;
    }
}

// Online, the imported store goes to the processor at once in a download of its own.
void SoakUser::ImportPreset() {
    if (savedPresets_.isEmpty()) {
        return;
    }
    presets_.Dialogs.openName = savedPresets_[R().Int(0, int(savedPresets_.size()) - 1)];
    ClickOn(world_.C().btnImport);
}

void SoakUser::Pause() {
    QTest::qWait(R().Int(5, 60));
}

} // namespace korva::soak
