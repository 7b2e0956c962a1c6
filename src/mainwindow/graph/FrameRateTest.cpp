#include "mainwindow/graph/FrameRateTest.h"

#include "mainwindow/graph/GraphPresenter.h"

#include <QCheckBox>

namespace korva {

FrameRateTest::FrameRateTest(GraphPresenter& graph, QCheckBox& check2, QTimer& timer1, QObject* parent)
    : QObject(parent), graph_(graph), check2_(check2), timer1_(timer1), caption_(check2.text()) {
    loop_.setInterval(0);
    connect(&loop_, &QTimer::timeout, this, &FrameRateTest::Frame);
}

void FrameRateTest::Check2_Click() {
    if (check2_.isChecked()) {
        Start();
    } else {
        Stop();
    }
}

void FrameRateTest::Start() {
    if (loop_.isActive()) {
        return;
    }
    frameCount_ = 0;
    timer1_.start();
    loop_.start();
}

void FrameRateTest::Stop() {
    loop_.stop();
    timer1_.stop();
    frameCount_ = 0;
    check2_.setText(caption_);
    check2_.setChecked(false);
}

void FrameRateTest::Frame() {
    graph_.RedrawGraph();
    ++frameCount_;
}

void FrameRateTest::Timer1_Timer() {
    check2_.setText(QString::number(frameCount_));
    frameCount_ = 0;
}

} // namespace korva
