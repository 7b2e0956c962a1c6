#include "PresetFileDialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>

namespace korva {

const QString kPresetSaveTitle = QStringLiteral("保存配置文件");
const QString kPresetOpenTitle = QStringLiteral("浏览配置文件");
const QString kPresetNameFilter = QStringLiteral("前级配置文件 (*.PA)");

// Qt's own file dialog remembers its history, last folder and view in the user's settings
// ("QtProject"): read when a dialog is made, written when it is destroyed. The program keeps no settings
// of its own, so the user-scope settings are pointed into the read-only resource tree, where no file can
// be created: they read as empty and every write fails quietly.
void KeepDialogHistoryOffDisk() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral(":/no-settings"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QStringLiteral(":/no-settings"));
}

QString PresetDialogFolder(const QString& programFolder) {
    const QFileInfo info(programFolder);
    if (!programFolder.isEmpty() && info.isDir() && info.isWritable()) {
        return info.absoluteFilePath();
    }
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString CleanDialogFileName(const QString& name) {
    const qsizetype nul = name.indexOf(QChar(0));
    return (nul >= 0 ? name.left(nul) : name).trimmed();
}

std::unique_ptr<QFileDialog> MakePresetFileDialog(PresetDialogKind kind, QWidget* owner,
                                                  const QString& programFolder) {
    KeepDialogHistoryOffDisk();
    const bool save = kind == PresetDialogKind::Save;
    const QString folder = PresetDialogFolder(programFolder);
    auto dialog = std::make_unique<QFileDialog>(owner, save ? kPresetSaveTitle : kPresetOpenTitle, folder);
    dialog->setDirectory(folder); // over any folder the dialog remembers from an earlier one
    dialog->setNameFilter(kPresetNameFilter);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Saving asks before it replaces a file; opening needs a name but not an existing file (the import
    // itself ignores names that do not exist).
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !save);
    return dialog;
}

QtPresetFileDialogs::QtPresetFileDialogs(QWidget* owner, const QString& programFolder)
    : owner_(owner),
      programFolder_(programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder) {}

QString QtPresetFileDialogs::ChoosePresetFileToSave() {
    return Run(PresetDialogKind::Save);
}

QString QtPresetFileDialogs::ChoosePresetFileToOpen() {
    return Run(PresetDialogKind::Open);
}

QString QtPresetFileDialogs::Run(PresetDialogKind kind) {
    return RunFileDialog(MakePresetFileDialog(kind, owner_, programFolder_));
}

QString RunFileDialog(std::unique_ptr<QFileDialog> dialog, QString* selectedNameFilter) {
    const QPointer<QFileDialog> guard = dialog.get();
    const int result = dialog->exec();
    if (!guard) {
        (void)dialog.release(); // its owner went away while it was open and took it along
        return QString();
    }
    if (result != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return QString();
    }
    if (selectedNameFilter) {
        *selectedNameFilter = dialog->selectedNameFilter();
    }
    return CleanDialogFileName(dialog->selectedFiles().constFirst());
}

} // namespace korva
