#pragma once
// Typed access to the controls of the main window that its code works with, found by object name in the
// design data. A control the window needs but the design data lacks (or has with another type) is a load
// error; arrays are indexed as their names are (btnMode(6) is btnMode[6]; indices without a control are
// nullptr).

#include <QString>
#include <vector>

class QCheckBox;
class QLineEdit;
class QTimer;
class QWidget;

namespace korva {

class C_ProgressBar;
class ControlRegistry;
class DesignLabel;
class GraphView;
class ScrollBar;
class ShowNumber;
class SimpControl;

struct MainControls {
    // Panel sliders 0..27 and their displays 0..25.
    std::vector<ScrollBar*> MyScrollBar;
    std::vector<ShowNumber*> MyNumber;
    // Switch pairs 0..7 (even: value 0, odd: value 1).
    std::vector<SimpControl*> MyButton;
    // The EQ point grid.
    std::vector<ShowNumber*> ShowNumberDot; // 0..46
    std::vector<SimpControl*> btnShowDot1;  // 0..16
    // Channel buttons 0, 2, 3 and 6.
    std::vector<SimpControl*> btnMode;
    std::vector<SimpControl*> btnSaveMode;
    std::vector<SimpControl*> btnModeChange;
    std::vector<SimpControl*> btnStartModeI;
    std::vector<SimpControl*> btnStartModeD;
    // Panel backgrounds with their tab areas, and the panels themselves.
    std::vector<SimpControl*> SimpControl6;
    std::vector<QWidget*> Frame2;

    SimpControl* btnUp1 = nullptr;
    SimpControl* btnDown1 = nullptr;
    SimpControl* btnShowMode = nullptr;
    SimpControl* btnLeft1 = nullptr;
    SimpControl* btnRight1 = nullptr;
    SimpControl* btnParaShow = nullptr;
    SimpControl* btnShowSub1 = nullptr;
    SimpControl* btnEQByPass = nullptr;
    SimpControl* btnInput = nullptr;
    SimpControl* btnShowStartMode = nullptr;
    SimpControl* btnFBX = nullptr;
    SimpControl* btnLock = nullptr;
    SimpControl* btnUp2 = nullptr;
    SimpControl* btnDown2 = nullptr;
    SimpControl* btnReset = nullptr;
    SimpControl* btnSave = nullptr;
    SimpControl* btnImport = nullptr;
    SimpControl* btnUpload = nullptr;
    SimpControl* btnClose = nullptr;
    SimpControl* btnShowPointN = nullptr;
    SimpControl* sLine1 = nullptr;
    SimpControl* sLine2 = nullptr;
    SimpControl* SimpControl2 = nullptr; // title strip
    SimpControl* SimpControl4 = nullptr; // undo
    SimpControl* SimpControl7 = nullptr; // redo
    SimpControl* MShowProgress = nullptr;
    ScrollBar* MKnobFreq = nullptr;
    ScrollBar* MKnobDb = nullptr;
    ScrollBar* MKnobQ = nullptr;
    ScrollBar* ScrollTone = nullptr;
    C_ProgressBar* C_ProgressBar1 = nullptr;
    QWidget* Frame1 = nullptr;
    GraphView* Picture1 = nullptr;
    QLineEdit* Text1 = nullptr;
    DesignLabel* Label1 = nullptr;
    QCheckBox* Check2 = nullptr;

    QTimer* CommConnect = nullptr;
    QTimer* tmrKeepConnect = nullptr;
    QTimer* tmrConnectTimeOut = nullptr;
    QTimer* TimeOuter = nullptr;
    QTimer* TimeOuter1 = nullptr;
    QTimer* timerToneReset = nullptr;
    QTimer* tmrDrawWave = nullptr;
    QTimer* tmrMoveTimeout = nullptr;
    QTimer* tmrEnd = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer6 = nullptr;
    QTimer* Timer7 = nullptr;

    // Fills every field from the registry. Returns false with a message naming the first missing control.
    bool Find(const ControlRegistry& registry, QString* error);
};

} // namespace korva
