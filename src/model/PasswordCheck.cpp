#include "PasswordCheck.h"

namespace korva {

const QString PasswordMessages::kEnterPassword = QStringLiteral("请输入密码！");
const QString PasswordMessages::kWrongLength = QStringLiteral("密码长度不正确！");
const QString PasswordMessages::kWrongPassword = QStringLiteral("密码错误！");
const QString PasswordMessages::kEnterOldPassword = QStringLiteral("请输入原始密码！");
const QString PasswordMessages::kWrongOldLength = QStringLiteral("原始密码长度不正确！");
const QString PasswordMessages::kWrongOldPassword = QStringLiteral("原始密码错误！");
const QString PasswordMessages::kNewEmpty = QStringLiteral("新密码不得为空！");
const QString PasswordMessages::kNewLength = QStringLiteral("新密码长度为9个字符");
const QString PasswordMessages::kMismatch = QStringLiteral("两次输入的新密码不一致！");
const QString PasswordMessages::kNotSingleByte = QStringLiteral("密码只能由数字和字母等单字节字符组成！");
const QString PasswordMessages::kChanged = QStringLiteral("密码修改完成！");

std::optional<DevicePasswordBytes> PasswordBytes(const QString& text) {
    if (text.size() != kPasswordLength) {
        return std::nullopt;
    }
    DevicePasswordBytes bytes{};
    for (int i = 0; i < kPasswordLength; ++i) {
        // Only ASCII is one byte in the code pages the processor's users type in; anything else would
        // either not fit or become a byte nobody can type on the front panel again.
        const char16_t c = text[i].unicode();
        if (c > 0x7F) {
            return std::nullopt;
        }
        bytes[i] = uint8_t(c);
    }
    return bytes;
}

namespace {

using M = PasswordMessages;

// Empty, length and match checks shared by the entry check and the first change stage.
PasswordCheckResult CheckAgainstDevice(const QString& text, const DevicePasswordBytes& device,
                                       const QString& empty, const QString& length, const QString& wrong) {
    if (text.isEmpty()) {
        return {empty, PasswordField::Text1};
    }
    if (text.size() != kPasswordLength) {
        return {length, PasswordField::Text1};
    }
    // A character that cannot be a byte cannot match the device's password either.
    const std::optional<DevicePasswordBytes> typed = PasswordBytes(text);
    if (!typed || *typed != device) {
        return {wrong, PasswordField::Text1};
    }
    return {};
}

} // namespace

PasswordCheckResult CheckEntryPassword(const QString& text1, const DevicePasswordBytes& device) {
    return CheckAgainstDevice(text1, device, M::kEnterPassword, M::kWrongLength, M::kWrongPassword);
}

PasswordCheckResult CheckOldPassword(const QString& text1, const DevicePasswordBytes& device) {
    return CheckAgainstDevice(text1, device, M::kEnterOldPassword, M::kWrongOldLength, M::kWrongOldPassword);
}

PasswordCheckResult CheckNewPassword(const QString& text1, const QString& text2) {
    if (text1.isEmpty()) {
        return {M::kNewEmpty, PasswordField::Text1};
    }
    if (text1.size() != kPasswordLength) {
        return {M::kNewLength, PasswordField::Text1};
    }
    if (text2 != text1) {
        return {M::kMismatch, PasswordField::Text2};
    }
    if (!PasswordBytes(text1)) {
        return {M::kNotSingleByte, PasswordField::Text1};
    }
    return {};
}

} // namespace korva
