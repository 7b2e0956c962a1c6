#include "PresetActions.h"

#include "mainwindow/DeviceCommands.h"
#include "mainwindow/presets/PresetFileDialogs.h"
#include "model/MessageService.h"
#include "model/PresetFile.h"
#include "ops/ParamImage.h"

#include <QDir>
#include <QFileInfo>

namespace korva {

const QString kImportNotPresetMessage = PresetNotPresetMessage();
const QString kImportBadDataMessage = PresetBadDataMessage();
const QString kExportFailedMessage = PresetExportFailedMessage();

PresetActions::PresetActions(ParamModel& model, DeviceCommands& device, PresetFileDialogs& dialogs,
                             MessageService& messages)
    : model_(model), device_(device), dialogs_(dialogs), messages_(messages) {}

bool PresetActions::ConfirmReplace(const QString& path) {
    return messages_.Ask(QStringLiteral("文件“%1”已存在。\n要替换它吗？").arg(QDir::toNativeSeparators(path)),
                         kPresetSaveTitle);
}

bool PresetActions::ExportPreset() {
    const QString chosen = CleanDialogFileName(dialogs_.ChoosePresetFileToSave());
    if (chosen.isEmpty()) {
        return false;
    }
    const QString path = WithPresetExtension(chosen);
    // The dialog asked about the name as typed; the added extension may name another existing file.
    if (path != chosen && QFileInfo::exists(path) && !ConfirmReplace(path)) {
        return false;
    }
    QString error;
    if (!SavePresetModel(model_, path, &error)) {
        messages_.Show(MessageIcon::Error, error);
        return false;
    }
    return true;
}

bool PresetActions::ImportPreset() {
    const QString path = CleanDialogFileName(dialogs_.ChoosePresetFileToOpen());
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        return false;
    }
    // The whole file is checked before anything is applied, so an error leaves no mixture of two presets
    // in the store, on the screen, in the undo history or on the device.
    if (const QString error = device_.ImportPreset(path); !error.isEmpty()) {
        messages_.Show(MessageIcon::Error, error);
        return false;
    }
    return true;
}

} // namespace korva
