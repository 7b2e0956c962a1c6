#include "mainwindow/GraphInteraction.h"

#include "mainwindow/DesignLabel.h"
#include "mainwindow/GraphView.h"
#include "mainwindow/MainControls.h"
#include "mainwindow/frmEQ.h"
#include "widgets/ScrollBar.h"
#include "widgets/ShowNumber.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace korva {

GraphInteraction::GraphInteraction(frmEQ& window) : QObject(&window), window_(window) {}

void GraphInteraction::Connect() {
    const MainControls& c = window_.Controls();
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

void GraphInteraction::Timer7_Timer() {
    window_.Controls().Timer7->stop();
    // Not built yet: one gain step of the selected point in the direction of WheelDirectionDown.
}

// Not built yet: editing EQ points on the graph, the knobs, the entry box and the tone slider.
void GraphInteraction::WritePendingPoint() {}
void GraphInteraction::ClearPendingPointWrite() {}
void GraphInteraction::Picture1_MouseDown(int, int, float, float) {}
void GraphInteraction::Picture1_MouseMove(int, int, float, float) {}
void GraphInteraction::Picture1_MouseUp(int, int, float, float) {}
void GraphInteraction::Picture1_DblClick() {}
void GraphInteraction::Picture1_KeyDown(int, int) {}
void GraphInteraction::MKnobFreq_Change() {}
void GraphInteraction::MKnobDb_Change() {}
void GraphInteraction::MKnobQ_Change() {}
void GraphInteraction::ShowNumberDot_Click(int) {}
void GraphInteraction::Text1_KeyDown(int) {}
void GraphInteraction::Text1_LostFocus() {}
void GraphInteraction::ScrollTone_Change() {}
void GraphInteraction::timerToneReset_Timer() {}
void GraphInteraction::Label1_MouseMove(int, int, float, float) {}

} // namespace korva
