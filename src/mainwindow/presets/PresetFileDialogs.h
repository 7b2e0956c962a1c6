#pragma once
// The save and open dialogs of preset files. The actions ask through the PresetFileDialogs interface so
// that tests can answer without a dialog on screen.

#include <QString>
#include <memory>

class QFileDialog;
class QWidget;

namespace korva {

extern const QString kPresetSaveTitle;  // "保存配置文件"
extern const QString kPresetOpenTitle;  // "浏览配置文件"
extern const QString kPresetNameFilter; // "前级配置文件 (*.PA)"

class PresetFileDialogs {
public:
    virtual ~PresetFileDialogs() = default;
    // The chosen path, or the empty text when the user cancelled.
    virtual QString ChoosePresetFileToSave() = 0;
    virtual QString ChoosePresetFileToOpen() = 0;
};

enum class PresetDialogKind { Save, Open };

// Where the dialogs start: the program's folder when files can be written there, otherwise the user's
// documents folder (an installed program's folder is usually read-only).
QString PresetDialogFolder(const QString& programFolder);

// Every file dialog of the program calls this before it is made: no dialog history is read or written.
void KeepDialogHistoryOffDisk();

// A dialog name as the actions use it: trimmed and cut at the first NUL.
QString CleanDialogFileName(const QString& name);

// The dialog with its title, filter, start folder and (for saving) the question before overwriting. It
// neither reads nor writes Qt's dialog history: the program leaves no settings file behind.
std::unique_ptr<QFileDialog> MakePresetFileDialog(PresetDialogKind kind, QWidget* owner,
                                                  const QString& programFolder);

// Runs a file dialog modally: the chosen name (cleaned), or the empty text when the user cancelled or the
// dialog's owner went away meanwhile (and took the dialog along). selectedNameFilter: the file type chosen.
QString RunFileDialog(std::unique_ptr<QFileDialog> dialog, QString* selectedNameFilter = nullptr);

// The standard dialogs, modal over the owner.
class QtPresetFileDialogs : public PresetFileDialogs {
public:
    // programFolder empty: the folder of the running executable.
    explicit QtPresetFileDialogs(QWidget* owner, const QString& programFolder = QString());
    QString ChoosePresetFileToSave() override;
    QString ChoosePresetFileToOpen() override;

private:
    QString Run(PresetDialogKind kind);

    QWidget* owner_;
    QString programFolder_;
};

} // namespace korva
