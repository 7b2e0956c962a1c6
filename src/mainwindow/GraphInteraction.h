#pragma once
// Editing EQ points on the graph and around it: mouse, keys and wheel on Picture1, the three knobs, the
// numeric entry box Text1 over the point displays, the tone slider and the window's resize grip.

#include <QObject>

namespace korva {

class frmEQ;

class GraphInteraction : public QObject {
    Q_OBJECT
public:
    explicit GraphInteraction(frmEQ& window);

    void Connect();

    // Direction of the last accepted wheel notch over the graph (towards the user = down).
    bool WheelDirectionDown = false;

    // Runs after every redraw of the graph: the write of a point dragged since the last one.
    void WritePendingPoint();
    // The graph was laid out anew: nothing is pending any more.
    void ClearPendingPointWrite();

    void Picture1_MouseDown(int button, int shift, float x, float y);
    void Picture1_MouseMove(int button, int shift, float x, float y);
    void Picture1_MouseUp(int button, int shift, float x, float y);
    void Picture1_DblClick();
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmEQ& window_;
    QObject* text1_ = nullptr;
};

} // namespace korva
