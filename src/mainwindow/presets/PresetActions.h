#pragma once
// The main window's preset buttons: btnSave exports the parameter image to a *.PA file, btnImport has the
// processor import one (checked whole, shown, the undo history afresh, downloaded when online).

#include <QString>

namespace korva {

class DeviceCommands;
class MessageService;
class PresetFileDialogs;
struct ParamModel;

extern const QString kImportNotPresetMessage; // "您导入的文件不是指定的配置文件。"
extern const QString kImportBadDataMessage;   // "导入的数据有错误！"
extern const QString kExportFailedMessage;    // "保存配置文件失败！"

class PresetActions {
public:
    // All references must outlive the actions.
    PresetActions(ParamModel& model, DeviceCommands& device, PresetFileDialogs& dialogs,
                  MessageService& messages);

    // btnSave. True when the file was written; a failure has been shown to the user.
    bool ExportPreset();
    // btnImport. True when a file was imported; on any error nothing changed (store, screen, undo
    // history, device) and the user has been told.
    bool ImportPreset();

private:
    bool ConfirmReplace(const QString& path);

    ParamModel& model_;
    DeviceCommands& device_;
    PresetFileDialogs& dialogs_;
    MessageService& messages_;
};

} // namespace korva
