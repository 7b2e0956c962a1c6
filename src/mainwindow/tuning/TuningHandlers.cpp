#include "mainwindow/tuning/TuningHandlers.h"

#include "mainwindow/AppContext.h"
#include "mainwindow/MainControls.h"
#include "mainwindow/WindowParts.h"
#include "mainwindow/design/ControlRefresher.h"
#include "mainwindow/graph/GraphPresenter.h"
#include "mainwindow/graph/GraphView.h"

#include <QMenu>

namespace korva {

namespace {

enum MenuItem { kImportMeasurement, kImportFilters, kExportFilters, kAutoEqualise };

} // namespace

QStringList TuningHandlers::MenuTexts() {
    return {QStringLiteral("导入测量…"), QStringLiteral("导入滤波器…"), QStringLiteral("导出滤波器…"),
            QStringLiteral("自动均衡")};
}

TuningHandlers::TuningHandlers(WindowParts& window)
    : QObject(&window.Window), window_(window), standardDialogs_(&window.Window) {}

TuningHandlers::~TuningHandlers() {
    window_.Graph.SetOverlaySource({});
}

void TuningHandlers::Connect() {
    GraphView* picture = window_.Controls.Picture1;
    menu_ = new QMenu(picture);
    const QStringList texts = MenuTexts();
    using Action = bool (TuningActions::*)();
    const Action actions[] = {&TuningActions::ImportMeasurement, &TuningActions::ImportFilters,
                              &TuningActions::ExportFilters, &TuningActions::AutoEqualise};
    for (int i = 0; i < texts.size(); ++i) {
        const Action action = actions[i];
        connect(menu_->addAction(texts[i]), &QAction::triggered, this, [this, action] { Run(action); });
    }
    // Fitting needs a measurement to fit to.
    connect(menu_, &QMenu::aboutToShow, this,
            [this] { menu_->actions()[kAutoEqualise]->setEnabled(state_.Measurement.has_value()); });

    picture->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(picture, &QWidget::customContextMenuRequested, this, &TuningHandlers::ShowMenu);
    connect(picture, &GraphView::KeyDown, this, &TuningHandlers::Picture1_KeyDown);
    window_.Graph.SetOverlaySource([this]() -> const GraphOverlay* {
        const AppContext& context = window_.Context;
        return overlay_.For(state_, context.Model, context.Eq.Geometry);
    });
}

TuningActions TuningHandlers::Actions() {
    AppContext& context = window_.Context;
    return TuningActions(context.Device, state_, *dialogs_, context.Messages, int(EditOrigin::PointSet));
}

void TuningHandlers::ShowMenu(const QPoint& at) {
    menu_->popup(window_.Controls.Picture1->mapToGlobal(at));
}

void TuningHandlers::Run(bool (TuningActions::*action)()) {
    (Actions().*action)();
    if (state_.Preview) {
        window_.Controls.Picture1->setFocus(Qt::OtherFocusReason); // for its Enter or Esc
    }
    window_.Graph.RequestRedraw();
}

void TuningHandlers::Picture1_KeyDown(int key, int) {
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!state_.Preview || (!enter && key != Qt::Key_Escape)) {
        return;
    }
    if (enter) {
        Actions().ApplyPreview();
    } else {
        Actions().CancelPreview();
    }
    window_.Graph.RequestRedraw();
}

} // namespace korva
