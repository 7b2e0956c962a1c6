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
        QString text;       // the line as read or written, without its line end
        QString sectionKey; // lower-case section name for key lines, empty otherwise
        QString key;        // lower-case key for key lines
        QString header;     // lower-case section name for section lines, null otherwise
        bool blank = false;
    };
    static Line MakeLine(const QString& text);
    void Parse(const QByteArray& bytes);
    int FindKey(const QString& section, const QString& key) const;
    int FindSectionEnd(const QString& section) const; // index after the last line of the section, -1 if none
    void Reindex();

    QString path_;
    QString error_;
    QList<Line> lines_;
    QHash<QString, int> keyIndex_; // "section\nkey" (lower case) -> first line holding it
    // Where the last new key went: a run of appends to one section (a whole export) then costs no scan.
    QString lastAppendSection_;
    int lastAppendEnd_ = -1;
};

} // namespace korva
