#include "IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace korva {

namespace {

constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

QString IndexKey(const QString& sectionLower, const QString& keyLower) {
    return sectionLower + u'\n' + keyLower;
}

// Returns the lower-case section name when the line is a section header.
bool SectionHeader(const QString& trimmed, QString& name) {
    if (trimmed.size() >= 2 && trimmed.front() == u'[') {
        const qsizetype close = trimmed.indexOf(u']');
        if (close > 0) {
            name = trimmed.mid(1, close - 1).trimmed().toLower();
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
    sections_ = {Section{}};
    keyIndex_.clear();
    QFile file(path);
    if (!file.exists()) {
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error_ = DescribeFileError(file);
        return false;
    }
    if (file.size() > kMaxFileBytes) {
        error_ = QStringLiteral("文件太大，不是配置文件");
        return false;
    }
    QByteArray bytes = file.readAll();
    // Editors that save as UTF-8 may put a byte-order mark in front of the first section line.
    if (bytes.startsWith(kUtf8ByteOrderMark)) {
        bytes.remove(0, 3);
    }
    Parse(bytes);
    return true;
}

void IniFile::Parse(const QByteArray& bytes) {
    // The files are single-byte text; Latin-1 maps every byte to one character and back unchanged.
    const QString text = QString::fromLatin1(bytes);
    for (QStringView raw : QStringView(text).split(u'\n')) {
        if (raw.endsWith(u'\r')) {
            raw.chop(1);
        }
        const QString line = raw.toString();
        const QString trimmed = line.trimmed();
        QString name;
        if (SectionHeader(trimmed, name)) {
            sections_.append(Section{line, name, {}});
            continue;
        }
        Section& section = sections_.last();
        QString key;
        if (!section.name.isNull() && !trimmed.startsWith(u';')) {
            const qsizetype eq = trimmed.indexOf(u'=');
            if (eq > 0) {
                key = trimmed.left(eq).trimmed().toLower();
            }
        }
        section.lines.append(Line{line, key, trimmed.isEmpty()});
    }
    // A final line end leaves one empty entry behind.
    QList<Line>& last = sections_.last().lines;
    if (!last.isEmpty() && last.last().text.isEmpty()) {
        last.removeLast();
    }
    Reindex();
}

void IniFile::Reindex() {
    keyIndex_.clear();
    // Backwards, so that the first occurrence of a repeated key wins, as profile readers do.
    for (int s = int(sections_.size()) - 1; s >= 0; --s) {
        const Section& section = sections_[s];
        for (int i = int(section.lines.size()) - 1; i >= 0; --i) {
            if (!section.lines[i].key.isEmpty()) {
                keyIndex_.insert(IndexKey(section.name, section.lines[i].key), KeyPlace{s, i});
            }
        }
    }
}

IniFile::KeyPlace IniFile::FindKey(const QString& section, const QString& key) const {
    const QString s = (section.isEmpty() ? IniSection : section).toLower();
    return keyIndex_.value(IndexKey(s, key.trimmed().toLower()));
}

int IniFile::FindSection(const QString& sectionLower) const {
    for (int s = 1; s < sections_.size(); ++s) {
        if (sections_[s].name == sectionLower) {
            return s;
        }
    }
    return -1;
}

QString IniFile::IniRead(const QString& key, const QString& section, const QString& defaultValue) const {
    const KeyPlace place = FindKey(section, key);
    if (place.section < 0) {
        return defaultValue;
    }
    const QString& text = sections_[place.section].lines[place.line].text;
    QString value = text.mid(text.indexOf(u'=') + 1).trimmed();
    const qsizetype nul = value.indexOf(QChar(0));
    if (nul >= 0) {
        value.truncate(nul);
    }
    return value.left(kMaxValueLength).trimmed();
}

void IniFile::IniWrite(const QString& key, const QString& value, const QString& section) {
    const QString sectionName = section.isEmpty() ? IniSection : section;
    const QString keyLower = key.trimmed().toLower();
    Line line{key.trimmed() + u'=' + value, keyLower, false};
    const KeyPlace existing = FindKey(sectionName, key);
    if (existing.section >= 0) {
        sections_[existing.section].lines[existing.line] = line;
        return;
    }
    const QString sectionLower = sectionName.toLower();
    int s = FindSection(sectionLower);
    if (s < 0) {
        const QString header = u'[' + sectionName + u']';
        QString name;
        SectionHeader(header, name);
        sections_.append(Section{header, name, {}});
        s = int(sections_.size()) - 1;
    }
    QList<Line>& lines = sections_[s].lines;
    int end = int(lines.size());
    while (end > 0 && lines[end - 1].blank) {
        --end;
    }
    lines.insert(end, line);
    keyIndex_.insert(IndexKey(sectionLower, keyLower), KeyPlace{s, end});
}

QByteArray IniFile::Serialize() const {
    QByteArray out;
    for (int s = 0; s < sections_.size(); ++s) {
        if (s > 0) {
            out += sections_[s].headerText.toLatin1();
            out += "\r\n";
        }
        for (const Line& line : sections_[s].lines) {
            out += line.text.toLatin1();
            out += "\r\n";
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
