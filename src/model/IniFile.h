#pragma once
// A Windows-style INI file kept in memory: one read when the path is set, one atomic write on Commit().
// Section and key names match without regard to letter case; existing keys are updated in place and new
// keys are appended to the end of their section, so a rewritten file keeps everything it did not touch.
// The text is held once, as read; lines are places in it, and lines that hold no key are kept in runs, so
// a file of nothing but blank lines costs about its own size, not an entry per line.

#include "FileAccess.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>

namespace korva {

class IniFile {
public:
    // Values longer than this are cut, as a 250-character read buffer would.
    static constexpr int kMaxValueLength = 249;
    // A preset is about 40 KB; anything far larger is not an INI file of ours and is not read into memory.
    static constexpr qint64 kMaxFileBytes = kMaxReadBytes;

    // Sets the file and reads it (a regular file only, see ReadRegularFile). A file that does not exist is
    // an empty document (not an error); false when it exists but cannot be read (LastError says why).
    bool SetIniFilePath(const QString& path);
    const QString& IniFilePath() const { return path_; }
    // The document a file holding these bytes reads as; the path stays as it is.
    void SetIniText(QByteArrayView bytes);

    // The section used when a call passes an empty section name.
    QString IniSection;

    // The trimmed value, or defaultValue when the key (or the file) does not exist; empty text when the
    // key exists with an empty value.
    QString IniRead(const QString& key, const QString& section = QString(),
                    const QString& defaultValue = QString()) const;
    // The same without the cut to kMaxValueLength, for a reader that refuses a longer value instead.
    QString IniReadUncut(const QString& key, const QString& section = QString(),
                         const QString& defaultValue = QString()) const;

    // The lines (counted from 1 in the text as read) of a key in the sections of that name: the one IniRead
    // reads and the next one; 0 where there is none, or where the key was written since.
    struct KeyLines {
        int First = 0;
        int Second = 0;
    };
    KeyLines FindKeyLines(const QString& key, const QString& section = QString()) const;

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
    enum class Kind : quint8 { Key, Blank, Other };
    // A key line, or a run of lines without a key, as a place in text_: without the last line end, a run
    // keeps the CR LF between its lines. A blank run holds only blank lines and any other run ends in a
    // non-blank line, so new keys go in before a section's blank run and nothing else moves.
    struct Line {
        qsizetype begin = 0;
        quint32 length = 0;
        quint32 number = 0; // the (first) line in the text as read, from 1; 0 once written
        Kind kind = Kind::Other;
    };
    // A section header with the lines up to the next one. The first section holds the lines before any
    // header (never keys) and has no header line.
    struct Section {
        Line header;
        QList<Line> lines;
    };
    struct KeyPlace {
        int section = -1;
        int line = -1;
        quint32 secondNumber = 0; // the line of the next occurrence in the text as read
    };
    void Clear();
    void Parse(QByteArrayView bytes);
    // Adds a line to text_ and returns its place.
    Line Append(QByteArrayView text, Kind kind);
    QByteArrayView TextOf(const Line& line) const;
    KeyPlace FindKey(const QString& section, const QString& key) const;
    QString ReadValue(const QString& key, const QString& section, const QString& defaultValue,
                      qsizetype maxLength) const;

    QString path_;
    QString error_;
    QByteArray text_; // every line as read followed by CR LF, then every line written since
    QList<Section> sections_{Section{}};
    QHash<QString, KeyPlace> keyIndex_;  // "section\nkey" (lower case) -> first line holding it
    QHash<QString, int> sectionIndex_; // lower-case name -> first section of that name
};

} // namespace korva
