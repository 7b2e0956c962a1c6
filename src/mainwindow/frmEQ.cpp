#include "mainwindow/frmEQ.h"

#include "design/Twips.h"
#include "mainwindow/AppContext.h"
#include "mainwindow/admin/CommIndicator.h"
#include "mainwindow/design/DesignBuilder.h"
#include "mainwindow/editing/EditHandlers.h"
#include "mainwindow/graph/FrameRateTest.h"
#include "mainwindow/graph/GraphInteraction.h"
#include "mainwindow/graph/GraphPresenter.h"
#include "mainwindow/graph/GraphView.h"
#include "mainwindow/editing/Navigator.h"
#include "mainwindow/admin/PasswordHandlers.h"
#include "mainwindow/presets/PresetHandlers.h"
#include "mainwindow/ProcessorView.h"
#include "mainwindow/StartupRules.h"
#include "mainwindow/tuning/TuningHandlers.h"
#include "mainwindow/WindowParts.h"
#include "model/MessageService.h"
#include "model/ParamDefaults.h"
#include "widgets/ShowNumber.h"
#include "widgets/SimpControl.h"
#include "widgets/SkinImages.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QTimer>
#include <QWindow>

namespace korva {

namespace {

constexpr int kLowerAreaLeft = 360;
constexpr int kLowerAreaTop = 8940;
constexpr int kCornerSize = 40;
constexpr double kText1FontPoints = 12;

bool IsOwnedBy(const QWidget* widget, const QWidget* owner) {
    for (const QWidget* w = widget->parentWidget(); w; w = w->parentWidget()) {
        if (w == owner) {
            return true;
        }
    }
    return false;
}

void SetPointSize(QWidget* widget, double points) {
    QFont font = widget->font();
    font.setPointSizeF(points);
    widget->setFont(font);
}

// A face with tall lines (the CJK face a Chinese desktop gives every widget) is made smaller, half a point
// at a time, until one line fits the widget's height; a font that fits already is left as it is.
void ShrinkFontToHeight(QWidget* widget) {
    QFont font = widget->font();
    constexpr double kSmallestPoints = 4;
    while (QFontMetrics(font).height() > widget->height() && font.pointSizeF() - 0.5 >= kSmallestPoints) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    if (font != widget->font()) {
        widget->setFont(font);
    }
}

} // namespace

QString frmEQ::DefaultDesignText() {
    QFile file(QStringLiteral(":/mainwindow/frmEQ.design"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

std::unique_ptr<frmEQ> frmEQ::Create(AppContext& context, const QString& designText, QString* error) {
    std::optional<DesignForm> design = ParseDesignData(designText, error);
    if (!design) {
        return nullptr;
    }
    std::unique_ptr<frmEQ> window(new frmEQ(context, std::move(*design)));
    if (!window->Build(error)) {
        return nullptr;
    }
    return window;
}

std::unique_ptr<frmEQ> frmEQ::Start(AppContext& context, const QString& designText) {
    if (!context.Skin.LoadSkinImages(SkinImages::DefaultFolder(), context.Display.DevicePixelRatio)) {
        context.Messages.Show(MessageIcon::Critical, SkinImages::InitErrorText(),
                              SkinImages::InitErrorTitle());
        return nullptr;
    }
    QString error;
    std::unique_ptr<frmEQ> window = Create(context, designText, &error);
    if (!window) {
        context.Messages.Show(MessageIcon::Critical, error, QStringLiteral("设计数据错误"));
        return nullptr;
    }
    if (!window->FormLoad()) {
        return nullptr;
    }
    return window;
}

frmEQ::frmEQ(AppContext& context, DesignForm design)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), context_(context), design_(std::move(design)) {
    setObjectName(design_.Name);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    // The window starts at its design size: this is the size the layout is remembered against.
    resize(TwipsToPixels(design_.ClientSize.width()), TwipsToPixels(design_.ClientSize.height()));
}

frmEQ::~frmEQ() {
    delete processorView_;
    delete tuning_;
    // Handlers go before the controls: a control being destroyed (losing focus, say) must not reach a
    // handler of a window that is already half gone.
    delete password_;
    delete presets_;
    delete graphEditing_;
    delete editing_;
    delete navigator_;
    delete graph_;
}

bool frmEQ::Build(QString* error) {
    // The window itself takes only its size and background picture from the design data.
    if (!design_.Properties.empty()) {
        const DesignProperty& p = design_.Properties.front();
        if (error) {
            *error = DesignLineError(p.Line, QStringLiteral("窗体没有属性“%1”").arg(p.Key));
        }
        return false;
    }
    DesignBuilder builder(context_.Skin, *this);
    // Timers owned by the undo history and the link are the window's timers of the same names.
    DeviceLink& link = context_.Link;
    for (QTimer* timer : {&context_.Undo.tmrMoveTimeout, &link.Supervisor().CommConnect(),
                          &link.Supervisor().tmrKeepConnect(), &link.Supervisor().tmrConnectTimeOut(),
                          &link.Comm().TimeOuter(), &link.Comm().TimeOuter1(), &link.Bulk().Timer6()}) {
        builder.AdoptTimer(timer);
    }
    if (!builder.Build(design_, registry_, placements_, error) || !controls_.Find(registry_, error) ||
        !bindings_.ReadDesignTags(controls_, registry_, error)) {
        return false;
    }
    refresher_ = std::make_unique<ControlRefresher>(context_, controls_, bindings_);
    graph_ = new GraphPresenter(context_, bindings_, *controls_.Picture1, *controls_.tmrDrawWave, this);
    parts_.reset(new WindowParts{*this, context_, controls_, bindings_, *refresher_, *graph_,
                                 [this] { return zoomFactor_; },
                                 [this](int leftTwips) { MoveChannelIndicator(leftTwips); },
                                 [this]() -> Navigator& { return *navigator_; }});
    navigator_ = new Navigator(*parts_);
    editing_ = new EditHandlers(*parts_);
    graphEditing_ = new GraphInteraction(*parts_);
    presets_ = new PresetHandlers(*parts_);
    password_ = new PasswordHandlers(*parts_);
    tuning_ = new TuningHandlers(*parts_);
    graph_->SetAfterRedraw([this] { graphEditing_->WritePendingPoint(); });
    processorView_ = new ProcessorView(context_.Device, *parts_);
    ConnectHandlers();
    return true;
}

void frmEQ::ConnectHandlers() {
    const MainControls& c = controls_;
    navigator_->Connect();
    editing_->Connect();
    graphEditing_->Connect();
    presets_->Connect();
    password_->Connect();
    tuning_->Connect();
    connect(c.SimpControl2, &SimpControl::MouseDown, this, [this](int button, int, float, float) {
        // The title strip moves the window: the press is handed to the window manager.
        if (button == 1 && windowHandle()) {
            windowHandle()->startSystemMove();
        }
    });
    connect(c.btnClose, &SimpControl::Click, this, &QWidget::close);
    connect(c.tmrEnd, &QTimer::timeout, this, &frmEQ::tmrEnd_Timer);
    connect(c.Picture1, &GraphView::ScreenChanged, this, [this] {
        // The graph's images are made at the display's resolution: a new one needs a new layout.
        if (graph_->Renderer().DevicePixelRatio() != controls_.Picture1->devicePixelRatioF()) {
            LayoutGraph();
            graph_->RequestRedraw();
        }
    });
    connect(c.Picture1, &GraphView::WheelNotch, this, [this](bool towardsUser) {
        graphEditing_->WheelDirectionDown = towardsUser;
        controls_.Timer7->start();
    });
}

bool frmEQ::FormLoad() {
    if (!IsStandardDpi(context_.Display.TwipsPerPixelX)) {
        context_.Messages.Show(MessageIcon::Warning, DpiWarningText());
        return false;
    }
    LayOutPointGrid();
    PlaceLowerArea();
    layout_.RecordLayout(size(), placements_);
    InitParamDefaults(context_.Model, false);
    context_.Undo.UndoRedoInit();

    const QRect available = context_.Display.AvailablePx;
    resize(WindowSizeForScreen(context_.Display.ScreenPx, available.size()));
    FormResize();
    if (!available.isEmpty()) {
        // Centred, so that no part of it lies under a task bar.
        move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), available).topLeft());
    }

    navigator_->btnMode_Click(0);
    controls_.Picture1->SetBackColor(0xD3D3D3);
    LayoutGraph();
    graph_->RedrawGraph();
    RefreshBoundControls(refresh::kAll, refresh::kNoFilter);
    context_.Link.Log().SetLogSyncWords(true);
    return true;
}

// The point grid's columns follow a fixed pattern; the design data only gives each cell's size.
void frmEQ::LayOutPointGrid() {
    for (size_t i = 0; i < controls_.ShowNumberDot.size(); ++i) {
        SetDesignRect(controls_.ShowNumberDot[i], PointDisplayPosition(int(i)));
    }
    for (size_t i = 0; i < controls_.btnShowDot1.size(); ++i) {
        SetDesignRect(controls_.btnShowDot1[i], PointButtonPosition(int(i)));
    }
}

// The point grid and the three panels share one area; only one of them shows at a time.
void frmEQ::PlaceLowerArea() {
    const QPoint topLeft(kLowerAreaLeft, kLowerAreaTop);
    SetDesignRect(controls_.Frame1, topLeft);
    for (QWidget* panel : controls_.Frame2) {
        SetDesignRect(panel, topLeft);
        panel->hide();
    }
    controls_.Frame1->show();
}

void frmEQ::SetDesignRect(QWidget* widget, QPoint topLeftTwips) {
    for (LayoutScaler::Placement& p : placements_) {
        if (p.Widget == widget) {
            p.Twips.moveTopLeft(topLeftTwips);
            widget->setGeometry(TwipsToPixels(p.Twips));
            return;
        }
    }
}

void frmEQ::FormActivate() {
    if (wasActivated_) {
        return;
    }
    wasActivated_ = true;
    context_.Link.Start();
    setWindowTitle(Caption());
    controls_.Picture1->SetWheelHook(true);
}

void frmEQ::FormResize() {
    lastResize_ = size();
    zoomFactor_ = ZoomFactorForHeight(height());
    SetPointSize(controls_.Text1, kText1FontPoints * zoomFactor_);
    // The check box's label shrinks with the window like the skin's lettering, so it still fits its box.
    SetPointSize(controls_.Check2, QApplication::font(controls_.Check2).pointSizeF() * zoomFactor_);
    ApplyRoundRegion(kCornerSize, kCornerSize);
    layout_.ScaleLayout(size());
    ShrinkFontToHeight(controls_.Check2);
    LayoutGraph();
    graph_->RequestRedraw();
}

// A new layout forgets any point write still pending from a drag on the old one.
void frmEQ::LayoutGraph() {
    graph_->LayoutGraph();
    graphEditing_->ClearPendingPointWrite();
}

void frmEQ::ApplyRoundRegion(int cornerWidth, int cornerHeight) {
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, width(), height()), cornerWidth / 2.0, cornerHeight / 2.0);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void frmEQ::MoveChannelIndicator(int leftTwips) {
    SimpControl* indicator = controls_.btnShowSub1;
    indicator->move(TwipsToPixels(double(leftTwips) * height() / kDesignHeightPx), indicator->y());
    if (const std::optional<QRect> design = layout_.DesignRect(indicator)) {
        layout_.SetDesignRect(indicator, design->translated(leftTwips - design->left(), 0));
    }
}

void frmEQ::RefreshBoundControls(uint32_t flags, uint32_t filter) {
    refresher_->RefreshBoundControls(flags, filter);
}

bool frmEQ::FormQueryUnload() {
    Communications& comm = context_.Link.Comm();
    comm.BeginClosing();
    if (commIndicator_) {
        commIndicator_->Timer1().stop();
    }
    for (QTimer* timer : {controls_.tmrConnectTimeOut, controls_.tmrKeepConnect, controls_.CommConnect,
                          controls_.timerToneReset, controls_.TimeOuter}) {
        timer->stop();
    }
    if (comm.LinkBusy()) {
        // The waiting exchange ends on its own now; closing is tried again once it has unwound.
        context_.Messages.Show(MessageIcon::Warning, ClosingWhileBusyText());
        controls_.tmrEnd->start();
        return false;
    }
    return true;
}

void frmEQ::tmrEnd_Timer() {
    controls_.tmrEnd->stop();
    close();
}

void frmEQ::FormUnload() {
    unloaded_ = true;
    editing_->FrameRate().Stop();
    graph_->ReleaseGraph();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        QWidget* other = *it;
        const bool owned = other == commIndicator_.get() || IsOwnedBy(other, this);
        if (other != this && other->isVisible() && owned) {
            other->close();
        }
    }
    clearMask();
}

void frmEQ::ShowCommIndicator() {
    // No parent: disabling the main window (bulk transfers, locked edits) would disable it too.
    if (!commIndicator_) {
        commIndicator_ = std::make_unique<CommIndicator>(context_.Link.Log());
    }
    commIndicator_->show();
    commIndicator_->raise();
    commIndicator_->activateWindow();
}

bool frmEQ::event(QEvent* event) {
    if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate) {
        FormActivate();
    }
    return QWidget::event(event);
}

void frmEQ::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (design_.BackPic > 0) {
        context_.Skin.DrawSkinImage(design_.BackPic, painter, 0, 0, width(), height());
    }
}

void frmEQ::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!layout_.DesignSize().isEmpty() && size() != lastResize_) {
        FormResize();
    }
}

void frmEQ::closeEvent(QCloseEvent* event) {
    if (unloaded_) {
        event->accept();
        return;
    }
    if (!FormQueryUnload()) {
        event->ignore();
        return;
    }
    FormUnload();
    event->accept();
}

void frmEQ::keyPressEvent(QKeyEvent* event) {
    if (event->text() == u"q") {
        password_->AdministratorKey();
    } else if (event->text() == u"w") {
        ShowCommIndicator();
    } else {
        QWidget::keyPressEvent(event);
    }
}

} // namespace korva
