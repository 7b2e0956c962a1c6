#include "IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace korva {

namespace {

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
    lines_.clear();
    keyIndex_.clear();
    lastAppendEnd_ = -1;
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
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
    }
    Parse(bytes);
    return true;
}

IniFile::Line IniFile::MakeLine(const QString& text) {
    Line line{text, {}, {}, {}, false};
    const QString trimmed = text.trimmed();
    line.blank = trimmed.isEmpty();
    QString name;
    if (SectionHeader(trimmed, name)) {
        line.header = name;
    }
    return line;
}

void IniFile::Parse(const QByteArray& bytes) {
    // The files are single-byte text; Latin-1 maps every byte to one character and back unchanged.
    const QString text = QString::fromLatin1(bytes);
    QString section;
    bool inSection = false;
    for (QStringView raw : QStringView(text).split(u'\n')) {
        if (raw.endsWith(u'\r')) {
            raw.chop(1);
        }
        Line line = MakeLine(raw.toString());
        const QString trimmed = line.text.trimmed();
        if (!line.header.isNull()) {
            section = line.header;
            inSection = true;
        } else if (inSection && !trimmed.startsWith(u';')) {
            const qsizetype eq = trimmed.indexOf(u'=');
            if (eq > 0) {
                line.sectionKey = section;
                line.key = trimmed.left(eq).trimmed().toLower();
            }
        }
        lines_.append(line);
    }
    // A final line end leaves one empty entry behind.
    if (!lines_.isEmpty() && lines_.last().text.isEmpty()) {
        lines_.removeLast();
    }
    Reindex();
}

void IniFile::Reindex() {
    keyIndex_.clear();
    // Backwards, so that the first occurrence of a repeated key wins, as profile readers do.
    for (int i = int(lines_.size()) - 1; i >= 0; --i) {
        if (!lines_[i].key.isEmpty()) {
            keyIndex_.insert(IndexKey(lines_[i].sectionKey, lines_[i].key), i);
        }
    }
}

int IniFile::FindKey(const QString& section, const QString& key) const {
    const QString s = (section.isEmpty() ? IniSection : section).toLower();
    return keyIndex_.value(IndexKey(s, key.trimmed().toLower()), -1);
}

int IniFile::FindSectionEnd(const QString& sectionLower) const {
    int end = -1;
    bool inside = false;
    for (int i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (!line.header.isNull()) {
            if (inside) {
                break;
            }
            inside = line.header == sectionLower;
            if (inside) {
                end = i + 1;
            }
        } else if (inside && !line.blank) {
            end = i + 1;
        }
    }
    return end;
}

QString IniFile::IniRead(const QString& key, const QString& section, const QString& defaultValue) const {
    const int i = FindKey(section, key);
    if (i < 0) {
        return defaultValue;
    }
    const QString& text = lines_[i].text;
    QString value = text.mid(text.indexOf(u'=') + 1).trimmed();
    const qsizetype nul = value.indexOf(QChar(0));
    if (nul >= 0) {
        value.truncate(nul);
    }
    return value.left(kMaxValueLength).trimmed();
}

void IniFile::IniWrite(const QString& key, const QString& value, const QString& section) {
    const QString sectionName = section.isEmpty() ? IniSection : section;
    const QString sectionLower = sectionName.toLower();
    const QString keyLower = key.trimmed().toLower();
    Line line{key.trimmed() + u'=' + value, sectionLower, keyLower, {}, false};
    const int existing = FindKey(sectionName, key);
    if (existing >= 0) {
        lines_[existing] = line;
        return;
    }
    int end = lastAppendEnd_ >= 0 && lastAppendSection_ == sectionLower ? lastAppendEnd_
                                                                        : FindSectionEnd(sectionLower);
    if (end < 0) {
        lines_.append(MakeLine(u'[' + sectionName + u']'));
        end = int(lines_.size());
    }
    lines_.insert(end, line);
    lastAppendSection_ = sectionLower;
    lastAppendEnd_ = end + 1;
    if (end == lines_.size() - 1) {
        keyIndex_.insert(IndexKey(sectionLower, keyLower), end); // appended: no index moved
    } else {
        Reindex();
    }
}

QByteArray IniFile::Serialize() const {
    QByteArray out;
    for (const Line& line : lines_) {
        out += line.text.toLatin1();
        out += "\r\n";
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
