#include "CmdPassword.h"

#include "design/Twips.h"
#include "model/MessageService.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace korva {

namespace {

constexpr int kDialogWidth = 4800;
constexpr int kLeft = 240;
constexpr int kFieldWidth = 4320;
constexpr int kLabelHeight = 255;
constexpr int kTextHeight = 345;
constexpr int kButtonHeight = 375;

int Px(int twips) {
    return TwipsToPixels(twips);
}

void PlaceTwips(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

QLineEdit* MakePasswordField(QWidget* parent, const char* name) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setEchoMode(QLineEdit::Password);
    field->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }")); // '*'
    field->setMaxLength(kPasswordLength);
    return field;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    // Enter belongs to Command1 wherever the focus is, so no button may take it as the default.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

CmdPassword::CmdPassword(DevicePasswordBytes& devicePassword, MessageService& messages,
                         WritePasswordFn writePassword, QWidget* parent)
    : QDialog(parent), devicePassword_(devicePassword), messages_(messages),
      writePassword_(std::move(writePassword)) {
    setObjectName(QStringLiteral("CmdPassword"));
    setWindowTitle(QStringLiteral("密码管理："));

    label1_ = new QLabel(QStringLiteral("请输入管理密码："), this);
    label1_->setObjectName(QStringLiteral("Label1"));
    text1_ = MakePasswordField(this, "Text1");
    label2_ = new QLabel(QStringLiteral("重复输入新密码："), this);
    label2_->setObjectName(QStringLiteral("Label2"));
    text2_ = MakePasswordField(this, "Text2");
    command1_ = MakeButton(this, "Command1", QStringLiteral("进入菜单属性设置"));
    command2_ = MakeButton(this, "Command2", QStringLiteral("修改密码"));

    PlaceTwips(label1_, kLeft, 240, kFieldWidth, kLabelHeight);
    PlaceTwips(text1_, kLeft, 540, kFieldWidth, kTextHeight);
    PlaceTwips(label2_, kLeft, 960, kFieldWidth, kLabelHeight);
    PlaceTwips(text2_, kLeft, 1230, kFieldWidth, kTextHeight);
    label2_->hide();
    text2_->hide();
    PlaceButtons(kButtonTopEntry, kHeightEntry);

    connect(command1_, &QPushButton::clicked, this, &CmdPassword::Command1Click);
    connect(command2_, &QPushButton::clicked, this, &CmdPassword::Command2Click);
    text1_->setFocus();
}

void CmdPassword::PlaceButtons(int topTwips, int heightTwips) {
    PlaceTwips(command1_, kLeft, topTwips, 2400, kButtonHeight);
    PlaceTwips(command2_, 2640, topTwips, 1920, kButtonHeight);
    // The designed height is the outer height of the window; the frame takes its share when there is one.
    const int frame = frameGeometry().height() - geometry().height();
    setFixedSize(Px(kDialogWidth), Px(heightTwips) - qMax(0, frame));
}

QLineEdit* CmdPassword::Field(PasswordField field) const {
    return field == PasswordField::Text2 ? text2_ : text1_;
}

void CmdPassword::Complain(const PasswordCheckResult& result) {
    messages_.Show(MessageIcon::Warning, result.message);
    Field(result.focus)->setFocus();
}

void CmdPassword::Command1Click() {
    if (writing_) {
        return;
    }
    const PasswordCheckResult result = CheckEntryPassword(text1_->text(), devicePassword_);
    if (!result.ok()) {
        Complain(result);
        return;
    }
    OK = true;
    accept();
}

void CmdPassword::Command2Click() {
    if (writing_) {
        return;
    }
    if (!changeStage_) {
        const PasswordCheckResult result = CheckOldPassword(text1_->text(), devicePassword_);
        if (!result.ok()) {
            Complain(result);
            return;
        }
        EnterChangeStage();
        return;
    }
    SaveNewPassword();
}

void CmdPassword::EnterChangeStage() {
    changeStage_ = true;
    command2_->setText(QStringLiteral("保存密码"));
    command1_->setEnabled(false);
    label1_->setText(QStringLiteral("输入新密码： 长度为9字节，必须是数字和字母"));
    label2_->show();
    text2_->show();
    PlaceButtons(kButtonTopChange, kHeightChange);
    text1_->clear();
    text1_->setFocus();
}

void CmdPassword::SaveNewPassword() {
    const PasswordCheckResult result = CheckNewPassword(text1_->text(), text2_->text());
    if (!result.ok()) {
        Complain(result);
        return;
    }
    const DevicePasswordBytes previous = devicePassword_;
    devicePassword_ = *PasswordBytes(text1_->text()); // the write sends DevicePassword
    writing_ = true;
    setEnabled(false);
    const bool written = writePassword_ && writePassword_();
    setEnabled(true);
    writing_ = false;
    if (!written) {
        // The processor kept its old password (the link has reported why); so does the program, or the
        // unwritten one would open the menu editor.
        devicePassword_ = previous;
        return;
    }
    messages_.Show(MessageIcon::Warning, PasswordMessages::kChanged);
    reject(); // OK stays false: a changed password does not open the editor
}

void CmdPassword::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        Command1Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace korva
