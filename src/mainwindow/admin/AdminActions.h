#pragma once
// The administrator path of the main window and its lock switch. The hidden key "q" reads the device
// password, asks for it in CmdPassword, opens the menu editor MenuShowFrm and writes the edited menu table
// to the processor. btnLock locks or unlocks the processor's front panel (Common address 0xCC).
// The dialogs are owned by the main window, whose unloading closes them as cancelled.

#include "mainwindow/ModalRunner.h"

#include <QString>

namespace korva {

class DeviceCommands;
class MainWindowHooks;
class MessageService;
struct ParamModel;

extern const QString kAdminOfflineMessage; // "未联机时，不可进行菜单属性设置等管理操作！"
extern const QString kMenuWrittenMessage;  // "菜单属性设置完成！"
extern const QString kLockOfflineMessage;  // "未联机时，此项不可用"
constexpr int kLockAddress = 0xCC;

class AdminActions {
public:
    // All references must outlive the actions. runner shows the dialogs (exec() in the program).
    AdminActions(ParamModel& model, DeviceCommands& device, MainWindowHooks& window, MessageService& messages,
                 ModalRunner runner = ExecModal);

    // The key "q": the whole administrator sequence. A second "q" while one runs is ignored.
    void OpenMenuAdministration();
    // btnLock click.
    void LockButtonClick();

    // Command 7: the processor's password into DevicePassword. False when the read failed.
    bool ReadDevicePassword();
    // Command 6 for the blocks 0x00, 0x40 and 0x80, each only after the previous one succeeded.
    bool WriteMenuTable();

private:
    ParamModel& model_;
    DeviceCommands& device_;
    MainWindowHooks& window_;
    MessageService& messages_;
    ModalRunner runner_;
    bool running_ = false;
};

} // namespace korva
