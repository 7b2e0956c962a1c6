#pragma once
// The frame-rate test behind the check box Check2 ("帧率测试"): while it is checked the EQ graph is
// redrawn over and over, with every pending event handled between two redraws, and once a second
// Timer1 writes the number of redraws of the last second into the check box's caption.
//
// The redraws run from a zero-interval timer rather than a loop inside the click handler, so the test
// never holds the event loop: unchecking the box, or the window closing, simply stops the timer, and
// nothing is drawn once the window is gone.

#include <QObject>
#include <QString>
#include <QTimer>

class QCheckBox;

namespace korva {

class GraphPresenter;

class FrameRateTest : public QObject {
    Q_OBJECT
public:
    // timer1 is the window's one-second Timer1; all references must outlive the test.
    FrameRateTest(GraphPresenter& graph, QCheckBox& check2, QTimer& timer1, QObject* parent = nullptr);

    // Check2 was clicked: runs while it is checked.
    void Check2_Click();
    // One second is over: the caption shows the redraws of that second.
    void Timer1_Timer();
    // Stops the redraws and Timer1 and gives the check box its caption back (the window closes).
    void Stop();

    bool IsRunning() const { return loop_.isActive(); }
    int FrameCount() const { return frameCount_; }

private:
    void Start();
    void Frame();

    GraphPresenter& graph_;
    QCheckBox& check2_;
    QTimer& timer1_;
    QTimer loop_;
    QString caption_;
    int frameCount_ = 0;
};

} // namespace korva
