#pragma once
// Tuning from a measurement on the main window: the EQ graph's context menu (导入测量…, 导入滤波器…,
// 导出滤波器…, 自动均衡), Enter and Esc on the graph while a preview is shown, and the graph's overlay of
// the loaded measurement and the preview.

#include "mainwindow/graph/TuningOverlay.h"
#include "mainwindow/tuning/TuningActions.h"
#include "mainwindow/tuning/TuningFileDialogs.h"
#include "mainwindow/tuning/TuningState.h"

#include <QObject>
#include <QStringList>

class QMenu;

namespace korva {

struct WindowParts;

class TuningHandlers : public QObject {
    Q_OBJECT
public:
    // The menu's items, in order.
    static QStringList MenuTexts();

    explicit TuningHandlers(WindowParts& window);
    ~TuningHandlers() override;

    void Connect();

    // The graph's context menu (shown by a right click on Picture1).
    QMenu& Menu() { return *menu_; }
    const TuningState& State() const { return state_; }

    // Tests answer the file dialogs themselves; the dialogs must outlive the window.
    void SetFileDialogs(TuningFileDialogs& dialogs) { dialogs_ = &dialogs; }

    // Enter applies a shown preview, Esc drops it; other keys are left to the graph.
    void Picture1_KeyDown(int key, int shift);

private:
    TuningActions Actions();
    // Runs a menu action, then shows what it changed.
    void Run(bool (TuningActions::*action)());
    void ShowMenu(const QPoint& at);

    WindowParts& window_;
    TuningState state_;
    TuningOverlay overlay_;
    QtTuningFileDialogs standardDialogs_;
    TuningFileDialogs* dialogs_ = &standardDialogs_;
    QMenu* menu_ = nullptr;
};

} // namespace korva
