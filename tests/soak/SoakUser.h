#pragma once
// A user who never stops: random edits through the main window's own controls and handlers - sliders,
// switch pairs, the feedback steps, bypass, reset, group, channel, point and panel navigation, presses
// and drags on the graph, cursor keys, wheel notches, knobs, typed values (good and bad), the tone
// slider, the system settings, undo and redo, preset files saved and imported, and now and then the
// download button. Only enabled
// controls take input, as on the screen.
//
// Some actions are also scheduled a few milliseconds ahead, so that they run inside whatever exchange
// is waiting then (the user clicking on while a write waits for its answer). Each action draws its
// numbers from its own engine, seeded when it was chosen, so a seed replays the same choices.

#include "AdminTestDoubles.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <map>
#include <span>

class QWidget;

namespace korva {
class ScrollBar;
}
namespace korva::test {
struct TestWorld;
}

namespace korva::soak {

class SoakRandom;

// A press and a release in the middle of the control, as a mouse click delivers them.
void ClickOn(QWidget* widget);

// Where the user keeps preset files: a temporary folder, and file dialogs that answer with names in it.
// The window keeps using the dialogs, so they must outlive it.
struct PresetShelf {
    QTemporaryDir Folder;
    testing::FakeFileDialogs Dialogs;
};

class SoakUser : public QObject {
    Q_OBJECT
public:
    SoakUser(test::TestWorld& world, SoakRandom& random, PresetShelf& presets);

    // Chooses the next action; Name() tells what it is before Run() does it.
    int Choose();
    static const char* Name(int action);
    void Run(int action);
    // One action a few milliseconds from now, of the kinds that make sense inside a wait.
    void RunLater();
    // Scheduled actions do nothing from now on.
    void Stop() { stopped_ = true; }

    // Messages the actions called for: a download while offline, a typed value that is not a number.
    int OfflineDownloads() const { return offlineDownloads_; }
    int NotANumberEntries() const { return notANumberEntries_; }
    int NestedActions() const { return nestedActions_; }
    QString Summary() const;

private:
    struct ActionKind;
    static std::span<const ActionKind> Actions();

    SoakRandom& R() { return *current_; }
    void RunWith(SoakRandom& random, int action);
    // Processes events now and then in the middle of an action.
    void MaybePump();

    void Drag(ScrollBar* control, int changes);
    void MoveSlider();
    void TurnKnob();
    void DragPoint();
    void PressBesidePoint();
    void CursorKeys();
    void WheelNotch();
    void TypeValue();
    void FlipSwitch();
    void StepFbx();
    void ToggleBypass();
    void ResetChannel();
    void StepGroup();
    void ChooseChannel();
    void StepPoint();
    void ShowPanel();
    void MoveTone();
    void SystemSetting();
    void Undo();
    void Redo();
    void Download();
    void SavePreset();
    void ImportPreset();
    void Pause();

    test::TestWorld& world_;
    SoakRandom& random_;
    SoakRandom* current_;
    PresetShelf& presets_;
    QStringList savedPresets_;
    bool gesture_ = false; // a drag or a slider movement holds the mouse
    bool stopped_ = false;
    int offlineDownloads_ = 0;
    int notANumberEntries_ = 0;
    int nestedActions_ = 0;
    std::map<QString, int> counts_;
};

} // namespace korva::soak
