#include "mainwindow/graph/GraphInteraction.h"

#include "design/Twips.h"
#include "eq/GraphLayout.h"
#include "mainwindow/AppContext.h"
#include "mainwindow/design/ControlRefresher.h"
#include "mainwindow/design/DesignLabel.h"
#include "mainwindow/graph/GraphPresenter.h"
#include "mainwindow/graph/GraphView.h"
#include "mainwindow/MainControls.h"
#include "mainwindow/editing/EditLock.h"
#include "mainwindow/editing/Navigator.h"
#include "mainwindow/editing/NumericEntry.h"
#include "mainwindow/StartupRules.h"
#include "mainwindow/WindowParts.h"
#include "model/Binding.h"
#include "model/MessageService.h"
#include "processor/Processor.h"
#include "widgets/ScrollBar.h"
#include "widgets/ShowNumber.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace korva {

namespace {

bool IsCursorKey(int key) {
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

bool IsCut(const EqPoint& point) {
    return point.Kind != EqPointKind::Peak;
}

constexpr uint8_t kFlatGainIndex = 75; // 0 dB: a cut filter has no gain
constexpr uint8_t kCutQIndex = 14;     // Q 1.4, which a cut filter's response does not use

} // namespace

GraphInteraction::GraphInteraction(WindowParts& window)
    : QObject(&window.Window), window_(window), device_(window.Context.Device) {}

void GraphInteraction::Connect() {
    const MainControls& c = window_.Controls;
    connect(c.Picture1, &GraphView::MouseDown, this, &GraphInteraction::Picture1_MouseDown);
    connect(c.Picture1, &GraphView::MouseMove, this, &GraphInteraction::Picture1_MouseMove);
    connect(c.Picture1, &GraphView::MouseUp, this, &GraphInteraction::Picture1_MouseUp);
    connect(c.Picture1, &GraphView::DblClick, this, &GraphInteraction::Picture1_DblClick);
    connect(c.Picture1, &GraphView::KeyDown, this, &GraphInteraction::Picture1_KeyDown);
    connect(c.MKnobFreq, &ScrollBar::Change, this, &GraphInteraction::MKnobFreq_Change);
    connect(c.MKnobDb, &ScrollBar::Change, this, &GraphInteraction::MKnobDb_Change);
    connect(c.MKnobQ, &ScrollBar::Change, this, &GraphInteraction::MKnobQ_Change);
    connect(c.ScrollTone, &ScrollBar::Change, this, &GraphInteraction::ScrollTone_Change);
    connect(c.timerToneReset, &QTimer::timeout, this, &GraphInteraction::timerToneReset_Timer);
    connect(c.Timer7, &QTimer::timeout, this, &GraphInteraction::Timer7_Timer);
    connect(c.Label1, &DesignLabel::MouseMove, this, &GraphInteraction::Label1_MouseMove);
    for (size_t i = 0; i < c.ShowNumberDot.size(); ++i) {
        connect(c.ShowNumberDot[i], &ShowNumber::Click, this, [this, i] { ShowNumberDot_Click(int(i)); });
    }
    text1_ = c.Text1;
    text1_->installEventFilter(this);
}

bool GraphInteraction::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text1_) {
        if (event->type() == QEvent::KeyPress) {
            Text1_KeyDown(static_cast<QKeyEvent*>(event)->key());
        } else if (event->type() == QEvent::FocusOut) {
            Text1_LostFocus();
        }
    }
    return QObject::eventFilter(watched, event);
}

EqPoint* GraphInteraction::SelectedPointInUse() {
    EqState& eq = window_.Context.Eq;
    if (eq.SelectedPoint < 0 || eq.SelectedPoint >= kEqPointSlots) {
        return nullptr;
    }
    EqPoint& point = eq.Points[size_t(eq.SelectedPoint)];
    return point.InUse ? &point : nullptr;
}

ParamRecord& GraphInteraction::RecordOf(const EqPoint& point) {
    ParamModel& model = window_.Context.Model;
    return model.Store.at(model.CurrentGroup, point.Address);
}

// ---- Mouse on the graph ----

void GraphInteraction::HitTestPoint(float x, float y) {
    const EqState& eq = window_.Context.Eq;
    for (int slot = 0; slot < kEqPointSlots && eq.Points[size_t(slot)].InUse; ++slot) {
        const QPoint centre = MarkerCentre(eq.Geometry, eq.Points[size_t(slot)]);
        if (std::abs(x - float(centre.x())) <= kHitRadius && std::abs(y - float(centre.y())) <= kHitRadius) {
            DraggingPoint = true;
            window_.Navigation().SelectPoint(slot);
            return;
        }
    }
}

void GraphInteraction::NudgeTowardClick() {
    const EqPoint* point = SelectedPointInUse();
    if (!point) {
        return;
    }
    const GraphGeometry& g = window_.Context.Eq.Geometry;
    const double dx = LastGraphClick.x() - double(g.FreqToX(point->FrequencyHz));
    const double dy = LastGraphClick.y() - double(g.DbToY(point->GainDb));
    if (std::abs(dx) > kHitRadius && std::abs(dy) < kNudgeBand) {
        Picture1_KeyDown(dx > 0 ? Qt::Key_Right : Qt::Key_Left, 0);
    } else if (std::abs(dy) > kHitRadius && std::abs(dx) < kNudgeBand) {
        Picture1_KeyDown(dy > 0 ? Qt::Key_Down : Qt::Key_Up, 0);
    }
}

void GraphInteraction::DragSelectedPoint(float x, float y) {
    EqPoint* point = SelectedPointInUse();
    if (!point) {
        return;
    }
    AppContext& context = window_.Context;
    const GraphGeometry& g = context.Eq.Geometry;
    // The point jumps to the pointer: there is no grab offset.
    point->FrequencyHz = QuantizeFreqHz(g.XToFreq(x), point->Kind, context.Model.CurrentChannel);
    point->GainDb = QuantizeGainDb(g.YToDb(y), point->Kind);
    ParamRecord record = RecordOf(*point);
    record.DATA1 = HzToFreqIndex(point->FrequencyHz);
    record.DATA2 = DbToGainIndex(point->GainDb);
    PendingPointWrite = uint8_t(context.Eq.SelectedPoint);
    pendingGroup_ = context.Model.CurrentGroup;
    pendingAddress_ = point->Address;
    ++dragMoves_;
    // Written once per redraw (WritePendingPoint), not per move.
    device_.StoreRecord(pendingGroup_, pendingAddress_, record, int(EditOrigin::PointDrag));
}

void GraphInteraction::WritePendingPoint() {
    if (PendingPointWrite == kNoPendingWrite) {
        return;
    }
    // Offline nothing is sent. During a bulk transfer the record needs no write of its own: a read
    // replaces the store and a download carries it whole. Sent between a read's blocks it would reach
    // the processor after the point's block was read, leaving the screen and the processor apart.
    if (!device_.IsOnline() || window_.Context.Link.Bulk().InProgress()) {
        PendingPointWrite = kNoPendingWrite;
        return;
    }
    if (writingPendingPoint_) {
        return; // a redraw during the write's wait; the write in flight looks again when it returns
    }
    const uint64_t movesBefore = dragMoves_;
    writingPendingPoint_ = true;
    const bool written = device_.WriteRecord(pendingGroup_, pendingAddress_);
    writingPendingPoint_ = false;
    if (!written) {
        return; // stays pending: tried again after the next redraw
    }
    if (dragMoves_ == movesBefore) {
        PendingPointWrite = kNoPendingWrite;
    } else if (PendingPointWrite != kNoPendingWrite) {
        // The point moved on while the write waited; its newer values go after the next redraw.
        window_.Graph.RequestRedraw();
    }
}

void GraphInteraction::ClearPendingPointWrite() {
    PendingPointWrite = kNoPendingWrite;
}

void GraphInteraction::Picture1_MouseDown(int, int, float x, float y) {
    HitTestPoint(x, y);
    LastGraphClick = QPointF(x, y);
    NudgeTowardClick();
}

void GraphInteraction::Picture1_MouseMove(int, int, float x, float y) {
    if (!DraggingPoint) {
        return;
    }
    const float canvasWidth = float(window_.Context.Eq.Geometry.CanvasWidth);
    window_.Context.Undo.RecordUndoPointOnce();
    DragSelectedPoint(std::clamp(x, 0.0f, canvasWidth), y);
}

void GraphInteraction::Picture1_MouseUp(int, int, float, float) {
    DraggingPoint = false;
}

void GraphInteraction::Picture1_DblClick() {
    NudgeTowardClick();
}

// ---- Keys, wheel and knobs ----

void GraphInteraction::Picture1_KeyDown(int key, int) {
    // Other keys belong to the window (its hidden keys); they edit nothing and record no undo point.
    if (!IsCursorKey(key)) {
        return;
    }
    window_.Context.Undo.RecordUndoPointOnce();
    const MainControls& c = window_.Controls;
    // A larger gain index is a lower gain: Down lowers the point by one 0.2 dB step.
    switch (key) {
    case Qt::Key_Down:
        c.MKnobDb->SetValue(c.MKnobDb->Value() + 1);
        MKnobDb_Change();
        break;
    case Qt::Key_Up:
        if (c.MKnobDb->Value() != 0) {
            c.MKnobDb->SetValue(c.MKnobDb->Value() - 1);
            MKnobDb_Change();
        }
        break;
    case Qt::Key_Right:
        c.MKnobFreq->SetValue(c.MKnobFreq->Value() + 1);
        MKnobFreq_Change();
        break;
    default:
        if (c.MKnobFreq->Value() != 0) {
            c.MKnobFreq->SetValue(c.MKnobFreq->Value() - 1);
            MKnobFreq_Change();
        }
        break;
    }
    window_.RefreshBoundControls(refresh::kPointGrid, uint32_t(window_.Context.Eq.SelectedPoint));
}

void GraphInteraction::Timer7_Timer() {
    const MainControls& c = window_.Controls;
    c.Timer7->stop();
    // The notch came before the window was locked (by a bulk transfer or a write of the whole window);
    // its step is dropped like any input while locked. Applied during the whole read, its write would go
    // out after the point's block was read, leaving the screen and the processor apart.
    if (!c.Picture1->isEnabled()) {
        return;
    }
    Picture1_KeyDown(WheelDirectionDown ? Qt::Key_Down : Qt::Key_Up, 0);
}

void GraphInteraction::MKnobFreq_Change() {
    EditWithKnob(window_.Controls.MKnobFreq, 0, [this](EqPoint& point, ScrollBar& knob) {
        if (IsCut(point)) {
            const int channel = window_.Context.Model.CurrentChannel;
            const FreqIndexRange range =
                point.Kind == EqPointKind::LowCut ? LowCutIndexRange(channel) : HighCutIndexRange(channel);
            knob.SetValue(std::clamp(knob.Value(), int(range.Lowest), int(range.Highest)));
        }
        const uint8_t index = uint8_t(knob.Value());
        point.FrequencyHz = FreqIndexToHz(index);
        return index;
    });
}

void GraphInteraction::MKnobDb_Change() {
    EditWithKnob(window_.Controls.MKnobDb, 1, [](EqPoint& point, ScrollBar& knob) {
        if (IsCut(point)) {
            knob.SetValue(kFlatGainIndex);
        }
        const uint8_t index = uint8_t(knob.Value());
        point.GainDb = GainIndexToDb(index);
        return index;
    });
}

void GraphInteraction::MKnobQ_Change() {
    EditWithKnob(window_.Controls.MKnobQ, 2, [](EqPoint& point, ScrollBar& knob) {
        if (IsCut(point)) {
            knob.SetValue(kCutQIndex);
        }
        const uint8_t index = uint8_t(knob.Value()); // the knob's value is a Q index
        point.Q = QIndexToQ(index);
        return index;
    });
}

// The knob's value is first limited to what the point may take; the edit's undo point comes after that
// and before the store changes.
void GraphInteraction::EditWithKnob(ScrollBar* knob, int field, const KnobRule& rule) {
    EqPoint* point = SelectedPointInUse();
    if (!point) {
        return;
    }
    const uint8_t index = rule(*point, *knob);
    AppContext& context = window_.Context;
    context.Undo.RecordUndoPointOnce();
    const EditLock lock(knob);
    device_.SetField(context.Model.CurrentGroup, point->Address, field, index, int(EditOrigin::PointKnob));
}

// ---- Numeric entry ----

void GraphInteraction::ShowNumberDot_Click(int index) {
    const MainControls& c = window_.Controls;
    ShowNumber* display = c.ShowNumberDot.at(size_t(index));
    if (display->TagNew().isEmpty()) {
        return; // not bound to a point of this channel
    }
    QLineEdit* text1 = c.Text1;
    const QPoint offset(TwipsToPixels(kEntryOffsetRightTwips, window_.ZoomFactor()),
                        TwipsToPixels(kEntryOffsetDownTwips, window_.ZoomFactor()));
    // The display sits in the point grid; Text1 on the window.
    const QPoint at = display->mapToGlobal(QPoint(0, 0));
    QWidget* host = text1->parentWidget();
    text1->move((host ? host->mapFromGlobal(at) : at) + offset);
    text1->setText(EntryTextFor(index, display->Value()));
    NumericEditTarget = display->TagNew();
    text1->show();
    text1->raise();
    text1->selectAll();
    text1->setFocus(Qt::MouseFocusReason);
}

void GraphInteraction::Text1_KeyDown(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) {
        return;
    }
    QLineEdit* text1 = window_.Controls.Text1;
    if (text1->isHidden()) {
        return; // closed meanwhile: its text was dropped
    }
    if (text1->text().isEmpty()) {
        text1->hide();
        return;
    }
    ApplyNumericEntry();
}

void GraphInteraction::ApplyNumericEntry() {
    AppContext& context = window_.Context;
    QLineEdit* text1 = window_.Controls.Text1;
    const std::optional<double> value = ParseEntryNumber(text1->text());
    if (!value) {
        context.Messages.Show(MessageIcon::Warning, NotANumberText());
        text1->hide();
        return;
    }
    // Hidden before the write: a second Enter while the write waits must not apply the value again.
    text1->hide();
    const std::optional<PointValueBinding> target = ParsePointValueBinding(NumericEditTarget);
    EqState& eq = context.Eq;
    if (!target || target->Point >= kEqPointSlots || !eq.Points[size_t(target->Point)].InUse ||
        eq.Points[size_t(target->Point)].Address != target->Address) {
        return; // the display was bound to another channel's point meanwhile
    }
    ParamModel& model = context.Model;
    context.Undo.RecordUndoPoint();
    eq.SelectedPoint = target->Point;
    const EqPoint& point = eq.Points[size_t(target->Point)];
    const uint8_t index = EntryIndexFor(target->DataIndex, *value, point.Kind, model.CurrentChannel);
    device_.SetField(model.CurrentGroup, target->Address, target->DataIndex, index,
                     int(EditOrigin::NumericEntry));
}

void GraphInteraction::Text1_LostFocus() {
    window_.Controls.Text1->hide();
}

// ---- Tone slider and resize grip ----

void GraphInteraction::ScrollTone_Change() {
    const MainControls& c = window_.Controls;
    window_.Context.Undo.RecordUndoPointOnce();
    if (device_.IsOnline()) {
        // The key shift is played, not kept: it is written but never stored in the image.
        const EditLock lock(c.ScrollTone);
        device_.WriteRecord(0, kToneAddress, c.ScrollTone->Value());
    } else {
        // Offline the slider springs back: the processor keeps its key shift.
        c.timerToneReset->stop();
        c.timerToneReset->start();
    }
}

void GraphInteraction::timerToneReset_Timer() {
    if (!device_.IsOnline()) {
        window_.Controls.ScrollTone->SetValue(kToneMiddle);
    }
}

void GraphInteraction::Label1_MouseMove(int button, int, float, float y) {
    if (button == 0) {
        return;
    }
    int height = window_.Window.height();
    const int grow = RoundHalfEven(y);
    if (height + grow > kMinWindowHeight) {
        height += grow;
    }
    window_.Window.resize(WindowWidthForHeight(height), height);
}

} // namespace korva
