#include "mainwindow/ProcessorView.h"

#include "mainwindow/MainControls.h"
#include "mainwindow/WindowParts.h"
#include "mainwindow/design/ControlRefresher.h"
#include "processor/Processor.h"
#include "widgets/C_ProgressBar.h"
#include "widgets/ScrollBar.h"
#include "widgets/SimpControl.h"

namespace korva {

namespace {
constexpr int kToneMiddle = 5;
}

ProcessorView::ProcessorView(Processor& processor, WindowParts& window)
    : QObject(&window.Window), window_(window) {
    const MainControls& c = window.Controls;
    connect(&processor, &Processor::OnlineChanged, this, &ProcessorView::ShowOnline);
    connect(&processor, &Processor::TransferStarted, this, &ProcessorView::BeginTransfer);
    connect(&processor, &Processor::ProgressChanged, this, [&c](int value) { c.C_ProgressBar1->SetValue(value); });
    connect(&processor, &Processor::TransferEnded, this, &ProcessorView::EndTransfer);
    connect(&processor, &Processor::ToneReset, this, [&c] { c.ScrollTone->SetValue(kToneMiddle); });
    connect(&processor, &Processor::ImageChanged, this,
            [&window] { window.RefreshBoundControls(refresh::kAll, refresh::kNoFilter); });
    connect(&processor, &Processor::ParameterChanged, this,
            [&window](int, int address, int origin) { window.Refresher.FollowChange(origin, address, false); });
    connect(&processor, &Processor::ParameterWritten, this,
            [&window](int, int address, int origin) { window.Refresher.FollowChange(origin, address, true); });
}

void ProcessorView::ShowOnline(bool online) {
    window_.Controls.MShowProgress->SetValue(online ? kLinkIndicatorOnline : kLinkIndicatorOffline);
    window_.Refresher.UpdateSelectionIndicators();
}

void ProcessorView::BeginTransfer(int maximum) {
    bulkLock_.emplace(&window_.Window);
    C_ProgressBar* bar = window_.Controls.C_ProgressBar1;
    bar->SetMaxValue(maximum);
    bar->SetValue(0);
    bar->setVisible(true);
}

void ProcessorView::EndTransfer() {
    bulkLock_.reset();
    window_.Window.setEnabled(true);
    window_.Controls.C_ProgressBar1->setVisible(false);
}

} // namespace korva
