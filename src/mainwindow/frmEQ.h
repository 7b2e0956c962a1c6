#pragma once
// The main window. It is built from its design data, owns every control, timer and dialog for the life
// of the program, and its closing ends the program. Program-wide state comes in through the AppContext.
//
// Start-up: Start() loads the skin, builds the window and runs FormLoad() (display check, layout, defaults,
// sizing, channel 0, graph, full refresh); the caller then shows it. Its first showing or activation,
// whichever comes first, starts the connection attempts, sets the caption and hooks the wheel over the
// graph (a window manager need not activate a new window); every resize re-scales the whole window.
//
// The handlers of the controls live in small classes that connect themselves: Navigator (groups,
// channels, points, panels), EditHandlers (panel editing, undo/redo, system settings), GraphInteraction
// (graph, knobs, entry box, tone), PresetHandlers, PasswordHandlers and TuningHandlers (the graph's menu
// for tuning from a measurement).

#include "mainwindow/design/BindingTable.h"
#include "mainwindow/design/ControlRefresher.h"
#include "mainwindow/design/ControlRegistry.h"
#include "design/DesignData.h"
#include "mainwindow/LayoutScaler.h"
#include "mainwindow/MainControls.h"

#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>

namespace korva {

struct AppContext;
class CommIndicator;
class EditHandlers;
class GraphInteraction;
class GraphPresenter;
class Navigator;
class PasswordHandlers;
class PresetHandlers;
class ProcessorView;
class TuningHandlers;
struct WindowParts;

class frmEQ : public QWidget {
    Q_OBJECT
public:
    static QString Caption() { return QStringLiteral("KORVA音响调节器"); }
    static QString ClosingWhileBusyText() {
        return QStringLiteral("正在停止通信进程，请点击下面的确认，软件会自动关闭。");
    }

    // The design data compiled into the program.
    static QString DefaultDesignText();

    // Builds the window from design data. Malformed data gives nullptr and a message naming its line.
    static std::unique_ptr<frmEQ> Create(AppContext& context, const QString& designText, QString* error);

    // The whole start-up up to a window ready to be shown: the skin, the window, FormLoad. Every failure
    // is shown through the context's message service and gives nullptr; the program then ends.
    static std::unique_ptr<frmEQ> Start(AppContext& context, const QString& designText);

    ~frmEQ() override;

    // The load sequence. False when the display is refused; the program must then end.
    bool FormLoad();
    // First showing or activation: connection attempts, caption, wheel over the graph. Later calls do
    // nothing.
    void FormActivate();
    bool WasActivated() const { return wasActivated_; }

    // Window height ÷ design height, set by every resize.
    double ZoomFactor() const { return zoomFactor_; }

    AppContext& Context() { return context_; }
    const MainControls& Controls() const { return controls_; }
    const ControlRegistry& Registry() const { return registry_; }
    const DesignForm& Design() const { return design_; }
    BindingTable& Bindings() { return bindings_; }
    ControlRefresher& Refresher() { return *refresher_; }
    GraphPresenter& Graph() { return *graph_; }
    LayoutScaler& Layout() { return layout_; }
    Navigator& Navigation() { return *navigator_; }
    EditHandlers& Editing() { return *editing_; }
    GraphInteraction& GraphEditing() { return *graphEditing_; }
    PresetHandlers& Presets() { return *presets_; }
    PasswordHandlers& Password() { return *password_; }
    TuningHandlers& Tuning() { return *tuning_; }
    // The communication log window once the key "w" has opened it, else nullptr. A window of its own:
    // the main window's locks do not reach it.
    CommIndicator* LogWindow() const { return commIndicator_.get(); }

    // Copies the parameter image into the bound controls (see ControlRefresher for the flag bits).
    void RefreshBoundControls(uint32_t flags, uint32_t filter);

    // Puts the channel indicator at a left edge given in twips at design scale; it keeps that place
    // through later resizes.
    void MoveChannelIndicator(int leftTwips);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    frmEQ(AppContext& context, DesignForm design);
    bool Build(QString* error);
    void ConnectHandlers();

    void LayOutPointGrid();
    void PlaceLowerArea();
    void FormResize();
    void LayoutGraph();
    void ApplyRoundRegion(int cornerWidth, int cornerHeight);
    bool FormQueryUnload();
    void FormUnload();
    void tmrEnd_Timer();
    void ShowCommIndicator();
    void SetDesignRect(QWidget* widget, QPoint topLeftTwips);

    AppContext& context_;
    DesignForm design_;
    ControlRegistry registry_;
    MainControls controls_;
    BindingTable bindings_;
    LayoutScaler layout_;
    std::vector<LayoutScaler::Placement> placements_;
    std::unique_ptr<ControlRefresher> refresher_;
    std::unique_ptr<WindowParts> parts_;
    GraphPresenter* graph_ = nullptr;
    Navigator* navigator_ = nullptr;
    EditHandlers* editing_ = nullptr;
    GraphInteraction* graphEditing_ = nullptr;
    PresetHandlers* presets_ = nullptr;
    PasswordHandlers* password_ = nullptr;
    TuningHandlers* tuning_ = nullptr;
    ProcessorView* processorView_ = nullptr;
    std::unique_ptr<CommIndicator> commIndicator_;

    bool wasActivated_ = false;
    bool unloaded_ = false;
    double zoomFactor_ = 1.0;
    QSize lastResize_;
};

} // namespace korva
