#pragma once
// A Windows-style INI file kept in memory: one read when the path is set, one atomic write on Commit().
// Section and key names match without regard to letter case; existing keys are updated in place and new
// keys are appended to the end of their section, so a rewritten file keeps everything it did not touch.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

namespace korva {

class IniFile {
public:
    // Values longer than this are cut, as a 250-character read buffer would.
    static constexpr int kMaxValueLength = 249;
    // A preset is about 40 KB; anything far larger is not an INI file of ours and is not read into memory.
    static constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

    // Sets the file and reads it. A file that does not exist is an empty document (not an error);
    // false when it exists but cannot be read (LastError says why).
    bool SetIniFilePath(const QString& path);
    const QString& IniFilePath() const { return path_; }

    // The section used when a call passes an empty section name.
    QString IniSection;

    // The trimmed value, or defaultValue when the key (or the file) does not exist; empty text when the
    // key exists with an empty value.
    QString IniRead(const QString& key, const QString& section = QString(),
                    const QString& defaultValue = QString()) const;

    // Sets key=value in the section (created when missing); the file changes only on Commit().
    void IniWrite(const QString& key, const QString& value, const QString& section = QString());
    void IniWrite(const QString& key, int value, const QString& section = QString()) {
        IniWrite(key, QString::number(value), section);
    }

    // Writes the whole document next to the file and replaces the file in one rename; on failure the file
    // is unchanged and false is returned.
    bool Commit();

    const QString& LastError() const { return error_; }

    // The document as it would be written (CR LF line ends).
    QByteArray Serialize() const;

private:
    struct Line {
        QString text; // the line as read or written, without its line end
        QString key;  // lower-case key for key lines, empty otherwise
        bool blank = false;
    };
    // A section header with the lines up to the next one. The first section holds the lines before any
    // header (never keys) and has no header line. New keys go in after a section's last non-blank line,
    // so only blank lines move: the index of every key stays valid without rebuilding.
    struct Section {
        QString headerText; // the header line as read or written
        QString name;       // lower-case section name; null for the lines before the first header
        QList<Line> lines;
    };
    struct KeyPlace {
        int section = -1;
        int line = -1;
    };
    void Parse(const QByteArray& bytes);
    KeyPlace FindKey(const QString& section, const QString& key) const;
    int FindSection(const QString& sectionLower) const; // -1 when the document has no such section
    void Reindex();

    QString path_;
    QString error_;
    QList<Section> sections_{Section{}};
    QHash<QString, KeyPlace> keyIndex_; // "section\nkey" (lower case) -> first line holding it
};

} // namespace korva
