#pragma once
// Editing EQ points on the graph and around it: mouse, keys and wheel on Picture1, the three knobs, the
// numeric entry box Text1 over the point displays, the tone slider and the window's resize grip.
//
// Every edit changes the record of the selected point's address in the current group, refreshes what
// shows it and, when online, writes the whole record. A drag writes nothing itself: it leaves the point
// in PendingPointWrite, and the write follows the next redraw of the graph, so a drag sends at most one
// write per redraw and always the latest values.


#include <QObject>
#include <QPointF>
#include <QString>
#include <cstdint>
#include <functional>

class QWidget;

namespace korva {

class ScrollBar;
class Processor;
struct WindowParts;
struct EqPoint;
struct ParamRecord;

class GraphInteraction : public QObject {
    Q_OBJECT
public:
    static constexpr uint8_t kNoPendingWrite = 255;
    // A press within this many pixels of a marker (on both axes) grabs it.
    static constexpr int kHitRadius = 13;
    // A press further than kHitRadius away on one axis and less than this on the other steps the point.
    static constexpr int kNudgeBand = 20;
    static constexpr int kToneAddress = 0xCE;
    static constexpr int kToneMiddle = 5;
    static constexpr int kMinWindowHeight = 50;

    explicit GraphInteraction(WindowParts& window);

    void Connect();

    // Direction of the last accepted wheel notch over the graph (towards the user = down).
    bool WheelDirectionDown = false;
    // True from a press that grabbed a point until the mouse button is released.
    bool DraggingPoint = false;
    // Canvas position of the last press on the graph.
    QPointF LastGraphClick;
    // Slot of a dragged point whose record still has to be written, or kNoPendingWrite.
    uint8_t PendingPointWrite = kNoPendingWrite;
    // Binding text of the point display that opened Text1: "address,data index,slot".
    QString NumericEditTarget;

    // Runs after every redraw of the graph: the write of a point dragged since the last one.
    void WritePendingPoint();
    // The graph was laid out anew: nothing is pending any more.
    void ClearPendingPointWrite();

    // Grabs the first point (in slot order) whose marker lies within kHitRadius of (x, y).
    void HitTestPoint(float x, float y);
    // One frequency or gain step of the selected point towards LastGraphClick, when it lies beside it.
    void NudgeTowardClick();
    // Moves the selected point to the pointer, snapped to what it may store.
    void DragSelectedPoint(float x, float y);

    void Picture1_MouseDown(int button, int shift, float x, float y);
    void Picture1_MouseMove(int button, int shift, float x, float y);
    void Picture1_MouseUp(int button, int shift, float x, float y);
    void Picture1_DblClick();
    // key: a Qt key code; the four cursor keys step the selected point.
    void Picture1_KeyDown(int key, int shift);
    void MKnobFreq_Change();
    void MKnobDb_Change();
    void MKnobQ_Change();
    void ShowNumberDot_Click(int index);
    void Text1_KeyDown(int key);
    void Text1_LostFocus();
    void Timer7_Timer();
    void ScrollTone_Change();
    void timerToneReset_Timer();
    void Label1_MouseMove(int button, int shift, float x, float y);

    static QString NotANumberText() { return QStringLiteral("请输入数字!"); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The selected point, or nullptr when the selection holds no point.
    EqPoint* SelectedPointInUse();
    ParamRecord& RecordOf(const EqPoint& point);
    // A knob's own part of its edit: limits the knob for the point, updates the point and gives the index
    // to store.
    using KnobRule = std::function<uint8_t(EqPoint&, ScrollBar&)>;
    // The rule, an undo point, the index into `field` of the point's record, the refresh, and the write
    // with the knob locked.
    void EditWithKnob(ScrollBar* knob, int field, const KnobRule& rule);
    void ApplyNumericEntry();

    WindowParts& window_;
    Processor& device_;
    QObject* text1_ = nullptr;
    // Counts drag moves, so a write that was overtaken by a later move is not taken for the last one.
    uint64_t dragMoves_ = 0;
    // Where the pending write goes: the record the drag changed, even if the channel or group on screen
    // changes before the next redraw.
    int pendingGroup_ = 0;
    uint8_t pendingAddress_ = 0;
    bool writingPendingPoint_ = false;
};

} // namespace korva
