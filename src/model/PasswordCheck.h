#pragma once
// The checks of the device password dialog, apart from the dialog itself.

#include "ParamStore.h"

#include <QString>
#include <optional>

namespace korva {

constexpr int kPasswordLength = 9;

// Message texts of the dialog (empty when the check passed).
struct PasswordMessages {
    static const QString kEnterPassword;    // "请输入密码！"
    static const QString kWrongLength;      // "密码长度不正确！"
    static const QString kWrongPassword;    // "密码错误！"
    static const QString kEnterOldPassword; // "请输入原始密码！"
    static const QString kWrongOldLength;   // "原始密码长度不正确！"
    static const QString kWrongOldPassword; // "原始密码错误！"
    static const QString kNewEmpty;         // "新密码不得为空！"
    static const QString kNewLength;        // "新密码长度为9个字符"
    static const QString kMismatch;         // "两次输入的新密码不一致！"
    static const QString kNotSingleByte;    // characters that cannot be stored in one byte
    static const QString kChanged;          // "密码修改完成！"
};

enum class PasswordField { None, Text1, Text2 };

struct PasswordCheckResult {
    QString message;                           // empty when the check passed
    PasswordField focus = PasswordField::None; // where the caret goes after the message
    bool ok() const { return message.isEmpty(); }
};

// The bytes of a typed 9-character password, or nothing when the length is wrong or a character is not
// a single-byte (ASCII) character.
std::optional<DevicePasswordBytes> PasswordBytes(const QString& text);

// "进入菜单属性设置" (and Enter): the typed text against the device password.
PasswordCheckResult CheckEntryPassword(const QString& text1, const DevicePasswordBytes& device);

// First stage of "修改密码": the current password.
PasswordCheckResult CheckOldPassword(const QString& text1, const DevicePasswordBytes& device);

// Second stage ("保存密码"): the new password and its repetition.
PasswordCheckResult CheckNewPassword(const QString& text1, const QString& text2);

} // namespace korva
