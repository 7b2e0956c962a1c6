#include "IniFile.h"

#include <QFileInfo>
#include <QSaveFile>

namespace korva {

namespace {

constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

QString IndexKey(const QString& sectionLower, const QString& keyLower) {
    return sectionLower + u'\n' + keyLower;
}

// The line without the blanks around it; blank as QString::trimmed sees a Latin-1 character.
QByteArrayView TrimmedLatin1(QByteArrayView line) {
    const auto blank = [](char c) { return QChar::isSpace(char32_t(uchar(c))); };
    while (!line.isEmpty() && blank(line.front())) {
        line = line.sliced(1);
    }
    while (!line.isEmpty() && blank(line.back())) {
        line.chop(1);
    }
    return line;
}

// Returns the lower-case section name when the (trimmed) line is a section header.
bool SectionHeader(QByteArrayView trimmed, QString& name) {
    if (trimmed.size() >= 2 && trimmed.front() == '[') {
        const qsizetype close = trimmed.indexOf(']');
        if (close > 0) {
            name = QString::fromLatin1(trimmed.sliced(1, close - 1)).trimmed().toLower();
            return true;
        }
    }
    return false;
}

// The installer reads Chinese; the system's own words (often English) follow in brackets.
QString DescribeFileError(const QFileDevice& file) {
    QString what;
    switch (file.error()) {
    case QFileDevice::ReadError:
        what = QStringLiteral("读取文件失败");
        break;
    case QFileDevice::WriteError:
    case QFileDevice::ResizeError:
        what = QStringLiteral("写入文件失败（磁盘可能已满）");
        break;
    case QFileDevice::RenameError:
    case QFileDevice::RemoveError:
        what = QStringLiteral("无法替换原有文件");
        break;
    case QFileDevice::PermissionsError:
        what = QStringLiteral("没有访问权限");
        break;
    default:
        what = QStringLiteral("无法打开或创建文件");
        break;
    }
    const QString detail = file.errorString();
    return detail.isEmpty() ? what : what + QStringLiteral("（") + detail + QStringLiteral("）");
}

} // namespace

bool IniFile::SetIniFilePath(const QString& path) {
    path_ = path;
    error_.clear();
    Clear();
    QByteArray bytes;
    FileError why;
    if (!ReadRegularFile(path, bytes, &why, kMaxFileBytes)) {
        if (why.Code == FileErrorCode::NotFound) {
            return true;
        }
        // The caller (the window's 保存) names the file; this says the step and why.
        error_ = QStringLiteral("无法读取原有文件：") + why.Reason;
        return false;
    }
    Parse(bytes);
    return true;
}

void IniFile::SetIniText(QByteArrayView bytes) {
    Clear();
    Parse(bytes);
}

void IniFile::Clear() {
    text_.clear();
    sections_ = {Section{}};
    keyIndex_.clear();
    sectionIndex_.clear();
}

IniFile::Line IniFile::Append(QByteArrayView text, Kind kind) {
    const Line line{text_.size(), quint32(text.size()), 0, kind};
    text_ += text;
    text_ += "\r\n";
    return line;
}

QByteArrayView IniFile::TextOf(const Line& line) const {
    return QByteArrayView(text_).sliced(line.begin, line.length);
}

void IniFile::Parse(QByteArrayView bytes) {
    // Editors that save as UTF-8 may put a byte-order mark in front of the first section line.
    if (bytes.startsWith(kUtf8ByteOrderMark)) {
        bytes = bytes.sliced(3);
    }
    text_.reserve(bytes.size() + bytes.count('\n') + 2);
    QString sectionLower; // null before the first header: those lines hold no keys
    quint32 number = 0;
    bool otherRunOpen = false; // the section's last line is a run of other lines that may grow
    Line blankRun{-1, 0, 0, Kind::Blank};
    auto flushBlankRun = [&] {
        if (blankRun.begin >= 0) {
            sections_.last().lines.append(blankRun);
            blankRun.begin = -1;
        }
    };
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', pos);
        QByteArrayView raw = bytes.sliced(pos, (newline < 0 ? bytes.size() : newline) - pos);
        pos = newline < 0 ? bytes.size() : newline + 1;
        if (raw.endsWith('\r')) {
            raw.chop(1);
        }
        if (newline < 0 && raw.isEmpty()) {
            break; // a last line of a lone CR is no line
        }
        ++number;
        Line line = Append(raw, Kind::Other);
        line.number = number;
        const QByteArrayView trimmed = TrimmedLatin1(raw);
        QString name;
        if (SectionHeader(trimmed, name)) {
            flushBlankRun();
            otherRunOpen = false;
            sections_.append(Section{line, {}});
            sectionIndex_.insert(name, sectionIndex_.value(name, int(sections_.size()) - 1));
            sectionLower = name;
            continue;
        }
        QList<Line>& lines = sections_.last().lines;
        if (trimmed.isEmpty()) {
            if (blankRun.begin < 0) {
                blankRun = {line.begin, 0, number, Kind::Blank};
            }
            blankRun.length = quint32(line.begin + line.length - blankRun.begin);
            continue;
        }
        const qsizetype eq = sectionLower.isNull() || trimmed.startsWith(';') ? -1 : trimmed.indexOf('=');
        if (eq > 0) {
            flushBlankRun();
            otherRunOpen = false;
            line.kind = Kind::Key;
            lines.append(line);
            const QString keyLower = QString::fromLatin1(trimmed.first(eq)).trimmed().toLower();
            const auto place = keyIndex_.find(IndexKey(sectionLower, keyLower));
            if (place == keyIndex_.end()) {
                // The first occurrence of a repeated key wins, as profile readers do.
                keyIndex_.insert(IndexKey(sectionLower, keyLower),
                                 KeyPlace{int(sections_.size()) - 1, int(lines.size()) - 1, 0});
            } else if (place->secondNumber == 0) {
                place->secondNumber = number;
            }
            continue;
        }
        // Other text (comments, lines before the first header, anything else) joins the run before it,
        // blank lines in between included.
        if (otherRunOpen) {
            lines.last().length = quint32(line.begin + line.length - lines.last().begin);
        } else {
            if (blankRun.begin >= 0) {
                line.length = quint32(line.begin + line.length - blankRun.begin);
                line.begin = blankRun.begin;
            }
            lines.append(line);
            otherRunOpen = true;
        }
        blankRun.begin = -1;
    }
    flushBlankRun();
}

IniFile::KeyPlace IniFile::FindKey(const QString& section, const QString& key) const {
    const QString s = (section.isEmpty() ? IniSection : section).toLower();
    return keyIndex_.value(IndexKey(s, key.trimmed().toLower()));
}

QString IniFile::ReadValue(const QString& key, const QString& section, const QString& defaultValue,
                           qsizetype maxLength) const {
    const KeyPlace place = FindKey(section, key);
    if (place.section < 0) {
        return defaultValue;
    }
    const QString text = QString::fromLatin1(TextOf(sections_[place.section].lines[place.line]));
    QString value = text.mid(text.indexOf(u'=') + 1).trimmed();
    const qsizetype nul = value.indexOf(QChar(0));
    if (nul >= 0) {
        value.truncate(nul);
    }
    return value.left(maxLength).trimmed();
}

QString IniFile::IniRead(const QString& key, const QString& section, const QString& defaultValue) const {
    return ReadValue(key, section, defaultValue, kMaxValueLength);
}

QString IniFile::IniReadUncut(const QString& key, const QString& section, const QString& defaultValue) const {
    return ReadValue(key, section, defaultValue, text_.size());
}

IniFile::KeyLines IniFile::FindKeyLines(const QString& key, const QString& section) const {
    const KeyPlace place = FindKey(section, key);
    if (place.section < 0) {
        return {};
    }
    return {int(sections_[place.section].lines[place.line].number), int(place.secondNumber)};
}

void IniFile::IniWrite(const QString& key, const QString& value, const QString& section) {
    const QString sectionName = section.isEmpty() ? IniSection : section;
    const QString keyLower = key.trimmed().toLower();
    const Line line = Append((key.trimmed() + u'=' + value).toLatin1(), Kind::Key);
    const QString sectionLower = sectionName.toLower();
    const auto existing = keyIndex_.find(IndexKey(sectionLower, keyLower));
    if (existing != keyIndex_.end()) {
        sections_[existing->section].lines[existing->line] = line;
        existing->secondNumber = 0;
        return;
    }
    int s = sectionIndex_.value(sectionLower, -1);
    if (s < 0) {
        const QString header = u'[' + sectionName + u']';
        QString name;
        SectionHeader(TrimmedLatin1(header.toLatin1()), name);
        sections_.append(Section{Append(header.toLatin1(), Kind::Other), {}});
        s = int(sections_.size()) - 1;
        sectionIndex_.insert(name, sectionIndex_.value(name, s));
    }
    QList<Line>& lines = sections_[s].lines;
    int end = int(lines.size());
    if (end > 0 && lines[end - 1].kind == Kind::Blank) {
        --end;
    }
    lines.insert(end, line);
    keyIndex_.insert(IndexKey(sectionLower, keyLower), KeyPlace{s, end, 0});
}

QByteArray IniFile::Serialize() const {
    QByteArray out;
    out.reserve(text_.size() + 3);
    const auto add = [&](const Line& line) {
        out += TextOf(line);
        out += "\r\n";
    };
    for (int s = 0; s < sections_.size(); ++s) {
        if (s > 0) {
            add(sections_[s].header);
        }
        for (const Line& line : sections_[s].lines) {
            add(line);
        }
    }
    // Text that begins with the bytes of a byte-order mark would lose them to the next read, which strips
    // one mark: write a mark in front so the document reads back as it is.
    if (out.startsWith(kUtf8ByteOrderMark)) {
        out.prepend(kUtf8ByteOrderMark);
    }
    return out;
}

bool IniFile::Commit() {
    error_.clear();
    QFileInfo info(path_);
    if (info.exists() && !info.isWritable()) {
        error_ = QStringLiteral("文件是只读的");
        return false;
    }
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) {
        error_ = DescribeFileError(file);
        return false;
    }
    const QByteArray bytes = Serialize();
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        error_ = DescribeFileError(file);
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace korva
