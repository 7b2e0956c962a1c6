// The platform-neutral half of file access: names to bytes and back, and names in messages.
#include "FileAccess.h"

namespace korva {

namespace {

constexpr char16_t kFirstEscapedByte = 0xDC80; // the lone surrogate standing for byte 0x80
constexpr char16_t kLastEscapedByte = 0xDCFF;

// The length of the valid UTF-8 sequence at the front of bytes (0 when it is not one), and its code point.
int Utf8Sequence(QByteArrayView bytes, char32_t& codePoint) {
    const auto byte = [&](qsizetype i) { return uchar(bytes[i]); };
    const uchar lead = byte(0);
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    int length = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, min = 0x80, codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, min = 0x800, codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, min = 0x10000, codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() < length) {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = (codePoint << 6) | (byte(i) & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8: their bytes stay bytes.
    if (codePoint < min || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return 0;
    }
    return length;
}

QString Hex(uint value, int digits) {
    return QString::number(value, 16).toUpper().rightJustified(digits, u'0');
}

bool IsEscapedByte(QChar c) {
    return c.unicode() >= kFirstEscapedByte && c.unicode() <= kLastEscapedByte;
}

} // namespace

QString FileError::CodeName() const {
    switch (Code) {
    case FileErrorCode::None:
        return {};
    case FileErrorCode::NotFound:
        return QStringLiteral("not_found");
    case FileErrorCode::PermissionDenied:
        return QStringLiteral("permission_denied");
    case FileErrorCode::TooLarge:
        return QStringLiteral("too_large");
    case FileErrorCode::DiskFull:
        return QStringLiteral("disk_full");
    case FileErrorCode::NotRegularFile:
        return QStringLiteral("not_regular_file");
    case FileErrorCode::NameTooLong:
        return QStringLiteral("name_too_long");
    case FileErrorCode::ReadFailed:
        return QStringLiteral("read_failed");
    case FileErrorCode::WriteFailed:
        return QStringLiteral("write_failed");
    case FileErrorCode::BadFile:
        return QStringLiteral("bad_file");
    }
    return {};
}

FileError FileError::For(FileErrorCode code, const QString& path, const QString& reason) {
    // An empty name has nothing to show in front of the reason ("文件名为空").
    return {code, path.isEmpty() ? reason : DisplayPath(path) + QStringLiteral("：") + reason, reason};
}

QString PathFromBytes(QByteArrayView bytes) {
    QString path;
    path.reserve(bytes.size());
    while (!bytes.isEmpty()) {
        char32_t codePoint = 0;
        const int length = Utf8Sequence(bytes, codePoint);
        if (length == 0) {
            path.append(QChar(char16_t(0xDC00 + uchar(bytes[0]))));
            bytes = bytes.sliced(1);
            continue;
        }
        path.append(QChar::fromUcs4(codePoint));
        bytes = bytes.sliced(length);
    }
    return path;
}

QByteArray PathBytes(const QString& path) {
    QByteArray bytes;
    bytes.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path[i];
        if (c.isHighSurrogate() && i + 1 < path.size() && path[i + 1].isLowSurrogate()) {
            bytes += QString(path.mid(i, 2)).toUtf8();
            ++i;
        } else if (IsEscapedByte(c)) {
            bytes += char(c.unicode() - 0xDC00);
        } else {
            bytes += QString(c).toUtf8(); // another lone surrogate becomes U+FFFD, as Qt writes it
        }
    }
    return bytes;
}

QString DisplayPath(const QString& path) {
    QString shown;
    shown.reserve(path.size());
    for (const QChar c : path) {
        if (IsEscapedByte(c) || c.unicode() < 0x20 || c.unicode() == 0x7F) {
            shown += QStringLiteral("\\x") + Hex(c.unicode() & 0xFF, 2);
        } else if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
                   c.category() == QChar::Separator_Paragraph) {
            shown += QStringLiteral("\\u") + Hex(c.unicode(), 4);
        } else {
            shown += c;
        }
    }
    return shown;
}

} // namespace korva
