#pragma once
// The password dialog in front of the menu editor. Entry stage: the typed password must equal the
// device's to open the editor (OK = true). "修改密码" first checks the current password, then switches to
// the change stage, where the new password is typed twice and written to the processor.

#include "model/ParamStore.h"
#include "model/PasswordCheck.h"

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace korva {

class MessageService;

class CmdPassword : public QDialog {
    Q_OBJECT
public:
    // Sends the 9 bytes of DevicePassword to the processor (command 8); false when the write failed.
    using WritePasswordFn = std::function<bool()>;

    // Sizes in twips, as the dialog is designed.
    static constexpr int kButtonTopEntry = 1050;
    static constexpr int kButtonTopChange = 1650;
    static constexpr int kHeightEntry = 2085;
    static constexpr int kHeightChange = 2685;

    CmdPassword(DevicePasswordBytes& devicePassword, MessageService& messages, WritePasswordFn writePassword,
                QWidget* parent = nullptr);

    // True only when the dialog was closed by a matching password.
    bool OK = false;

    bool InChangeStage() const { return changeStage_; }

    // "进入菜单属性设置", also run by Enter anywhere in the dialog.
    void Command1Click();
    // "修改密码" / "保存密码".
    void Command2Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Complain(const PasswordCheckResult& result);
    void EnterChangeStage();
    void SaveNewPassword();
    void PlaceButtons(int topTwips, int heightTwips);
    QLineEdit* Field(PasswordField field) const;

    DevicePasswordBytes& devicePassword_;
    MessageService& messages_;
    WritePasswordFn writePassword_;
    bool changeStage_ = false;
    bool writing_ = false; // the password write is waiting for the processor

    QLabel* label1_;
    QLineEdit* text1_;
    QLabel* label2_;
    QLineEdit* text2_;
    QPushButton* command1_;
    QPushButton* command2_;
};

} // namespace korva
