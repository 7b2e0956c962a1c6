#include "mainwindow/graph/GraphPresenter.h"

#include "mainwindow/AppContext.h"
#include "mainwindow/design/BindingTable.h"
#include "mainwindow/graph/GraphView.h"

#include <QTimer>
#include <algorithm>

namespace korva {

GraphPresenter::GraphPresenter(AppContext& context, const BindingTable& bindings, GraphView& picture,
                               QTimer& tmrDrawWave, QObject* parent)
    : QObject(parent), context_(context), bindings_(bindings), picture_(picture), tmrDrawWave_(tmrDrawWave),
      skin_(context.Skin), renderer_(skin_) {
    connect(&tmrDrawWave_, &QTimer::timeout, this, &GraphPresenter::tmrDrawWave_Timer);
    picture_.SetFrame(&renderer_.Frame());
}

void GraphPresenter::LayoutGraph() {
    released_ = false;
    renderer_.LayoutGraph(context_.Eq, std::max(1, picture_.width()), picture_.devicePixelRatioF());
    picture_.update();
}

void GraphPresenter::RedrawGraph() {
    if (released_) {
        return;
    }
    renderer_.RedrawGraph(context_.Eq, context_.Model.CurrentChannel, CurrentBypass(),
                          overlaySource_ ? overlaySource_() : nullptr);
    ++redrawCount_;
    picture_.update();
}

void GraphPresenter::RequestRedraw() {
    tmrDrawWave_.start();
}

void GraphPresenter::ReleaseGraph() {
    tmrDrawWave_.stop();
    renderer_.ReleaseGraph();
    released_ = true;
    picture_.update();
}

void GraphPresenter::tmrDrawWave_Timer() {
    tmrDrawWave_.stop();
    RedrawGraph();
    if (afterRedraw_ && !released_) {
        afterRedraw_();
    }
}

BypassSwitch GraphPresenter::CurrentBypass() const {
    BypassSwitch bypass;
    if (const std::optional<ButtonBinding>& b = bindings_.Bypass()) {
        bypass.Address = b->Address;
        if (b->Address != 0xFF) {
            bypass.Value = context_.Model.Store.at(context_.Model.CurrentGroup, b->Address).DATA1;
        }
    }
    return bypass;
}

} // namespace korva
