#include "TextInput.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>

namespace korva {

namespace {

// Measurement exports with a point per 1/96 octave stay far below this; anything larger is not one.
constexpr qint64 kMaxUserFileBytes = 16 * 1024 * 1024;

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

QString FileNameForMessages(const QString& path) {
    return QFileInfo(path).fileName();
}

std::optional<QByteArray> ReadUserFile(const QString& path, ReadError* error) {
    const QString name = FileNameForMessages(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return Refuse<QByteArray>(error, name, 0, QStringLiteral("无法打开文件（%1）").arg(file.errorString()));
    }
    if (file.size() > kMaxUserFileBytes) {
        return Refuse<QByteArray>(error, name, 0, QStringLiteral("文件太大，不是滤波器或测量数据文件"));
    }
    return file.readAll();
}

QString DecodeUserText(const QByteArray& bytes) {
    const std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(bytes);
    QStringDecoder decoder(bom.value_or(QStringConverter::Utf8));
    return decoder(bytes);
}

std::optional<QStringList> TextLinesOf(const QByteArray& bytes, const QString& fileName, ReadError* error) {
    const std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(bytes);
    const QStringConverter::Encoding encoding = bom.value_or(QStringConverter::Utf8);
    if (encoding == QStringConverter::Utf8 && bytes.contains('\0')) {
        return Refuse<QStringList>(error, fileName, 0, QStringLiteral("不是文本文件"));
    }
    QString text = DecodeUserText(bytes);
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar(u'\r'), QChar(u'\n'));
    QStringList lines = text.split(QChar(u'\n'));
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

std::optional<double> ParseDecimal(QStringView text) {
    QString plain;
    plain.reserve(text.size());
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        plain += text[i++];
    }
    int digits = 0;
    while (i < n && IsDigit(text[i])) {
        plain += text[i++];
        ++digits;
    }
    if (i < n && (text[i] == u'.' || text[i] == u',')) {
        plain += u'.';
        ++i;
        while (i < n && IsDigit(text[i])) {
            plain += text[i++];
            ++digits;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        plain += u'e';
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            plain += text[i++];
        }
        int exponentDigits = 0;
        while (i < n && IsDigit(text[i])) {
            plain += text[i++];
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return std::nullopt;
        }
    }
    if (i != n) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseGroupedDecimal(QStringView text, QChar decimalOfLine) {
    QString s = text.toString();
    s.remove(QChar(0x00A0));
    const qsizetype dots = s.count(u'.');
    const qsizetype commas = s.count(u',');
    QChar grouping;
    if (dots > 0 && commas > 0) {
        grouping = s.lastIndexOf(u'.') > s.lastIndexOf(u',') ? QChar(u',') : QChar(u'.');
    } else if (dots > 1 || commas > 1) {
        grouping = dots > 1 ? QChar(u'.') : QChar(u',');
    } else if (dots + commas == 1) {
        const QChar separator = dots == 1 ? QChar(u'.') : QChar(u',');
        const qsizetype at = s.indexOf(separator);
        const bool threeDigitsFollow = s.size() - at - 1 == 3 && IsDigit(s[at + 1]) && IsDigit(s[at + 2]) &&
                                       IsDigit(s[at + 3]);
        if (threeDigitsFollow && !decimalOfLine.isNull() && decimalOfLine != separator) {
            grouping = separator;
        }
    }
    if (!grouping.isNull()) {
        // "1.000.000" or "-1,234.5": one to three digits, then groups of exactly three.
        const QStringList parts = s.split(grouping);
        const QStringView lead = QStringView(parts[0]).mid(parts[0].startsWith(u'-') || parts[0].startsWith(u'+'));
        if (lead.isEmpty() || lead.size() > 3 || !std::all_of(lead.begin(), lead.end(), IsDigit)) {
            return std::nullopt;
        }
        for (qsizetype k = 1; k < parts.size(); ++k) {
            const QStringView group = QStringView(parts[k]).left(3);
            const bool last = k == parts.size() - 1;
            if (group.size() < 3 || !std::all_of(group.begin(), group.end(), IsDigit) ||
                (!last && parts[k].size() != 3) || (parts[k].size() > 3 && IsDigit(parts[k][3]))) {
                return std::nullopt;
            }
        }
        s.remove(grouping);
    }
    return ParseDecimal(s);
}

} // namespace korva
