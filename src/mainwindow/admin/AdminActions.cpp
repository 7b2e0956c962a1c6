#include "AdminActions.h"

#include "link/FrameProtocol.h"
#include "mainwindow/admin/CmdPassword.h"
#include "mainwindow/DeviceCommands.h"
#include "mainwindow/MainWindowHooks.h"
#include "mainwindow/admin/MenuShowFrm.h"
#include "model/MessageService.h"

#include <QScopeGuard>

namespace korva {

const QString kAdminOfflineMessage = QStringLiteral("未联机时，不可进行菜单属性设置等管理操作！");
const QString kMenuWrittenMessage = QStringLiteral("菜单属性设置完成！");
const QString kLockOfflineMessage = QStringLiteral("未联机时，此项不可用");

namespace {
constexpr int kAnswerTimeoutMs = 1000; // the password and menu commands
} // namespace

AdminActions::AdminActions(ParamModel& model, DeviceCommands& device, MainWindowHooks& window,
                           MessageService& messages, ModalRunner runner)
    : model_(model), device_(device), window_(window), messages_(messages), runner_(std::move(runner)) {}

bool AdminActions::ReadDevicePassword() {
    if (!device_.SendCommand(kCmdReadPassword, 0, 0, 0, kAnswerTimeoutMs)) {
        return false;
    }
    const QByteArray answer = device_.Answer();
    if (answer.size() < int(model_.DevicePassword.size())) {
        return false;
    }
    for (size_t i = 0; i < model_.DevicePassword.size(); ++i) {
        model_.DevicePassword[i] = uint8_t(answer[qsizetype(i)]);
    }
    return true;
}

bool AdminActions::WriteMenuTable() {
    for (int block : {0x00, 0x40, 0x80}) {
        if (!device_.SendCommand(kCmdWriteMenuBlock, 0, block, 0, kAnswerTimeoutMs)) {
            return false;
        }
    }
    return true;
}

void AdminActions::OpenMenuAdministration() {
    if (running_) {
        return;
    }
    running_ = true;
    const auto done = qScopeGuard([this] { running_ = false; });

    if (!device_.IsOnline()) {
        messages_.Show(MessageIcon::Warning, kAdminOfflineMessage);
        return;
    }
    if (!ReadDevicePassword()) {
        return; // the link has reported the time-out
    }
    {
        CmdPassword password(
            model_.DevicePassword, messages_,
            [this] { return device_.SendCommand(kCmdWritePassword, 0, 0, 0, kAnswerTimeoutMs); },
            window_.DialogOwner());
        runner_(password);
        if (!password.OK) {
            return;
        }
    }
    {
        MenuShowFrm editor(model_.MenuShow, window_.DialogOwner());
        runner_(editor);
        if (!editor.OK || !device_.IsOnline()) {
            return;
        }
    }
    if (WriteMenuTable()) {
        messages_.Show(MessageIcon::Warning, kMenuWrittenMessage);
    }
}

void AdminActions::LockButtonClick() {
    window_.RecordUndoPoint();
    if (!device_.IsOnline()) {
        messages_.Show(MessageIcon::Warning, kLockOfflineMessage);
        return;
    }
    const int value = window_.LockButtonValue() == 0 ? 1 : 0;
    window_.SetLockButtonValue(value);
    model_.Store.at(0, kLockAddress).DATA1 = uint8_t(value);
    window_.SetMainWindowEnabled(false);
    device_.WriteRecord(0, kLockAddress, value);
    window_.SetMainWindowEnabled(true);
}

} // namespace korva
