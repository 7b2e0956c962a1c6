#pragma once
// The communication log: an in-memory text the log window shows live, flushed to CommIndicator.txt.

#include <QString>

namespace korva {

class CommLog {
public:
    static constexpr const char* kFileName = "CommIndicator.txt";

    // The log file goes into programFolder when it is writable (empty: the folder of the executable),
    // otherwise into the user's application-data folder.
    explicit CommLog(QString programFolder = QString());

    // Every entry is a CRLF followed by its text, so the log starts with a CRLF and never ends with one.
    const QString& CommLogText() const { return text_; }
    void ClearText() { text_.clear(); }

    // Entries of the link are written only while the log window is loaded.
    bool CommLogEnabled() const { return enabled_; }
    void SetCommLogEnabled(bool enabled) { enabled_ = enabled; }
    // Also log the keep-alive traffic ("发送: FF 同步字" and lone received FF bytes).
    bool LogSyncWords() const { return logSyncWords_; }
    void SetLogSyncWords(bool on) { logSyncWords_ = on; }

    // Appends an entry when CommLogEnabled.
    void Append(const QString& entry);
    // Appends an entry in any case (checksum failures are always kept).
    void AppendAlways(const QString& entry);

    QString LogFilePath() const;
    // Appends text and a CRLF to the log file. A failure is noted once in the log itself (so the log
    // window shows it) until a later write succeeds.
    bool AppendLogToFile(const QString& text);
    // Moves the whole log text into the file; the text is kept when the file cannot be written.
    bool FlushToFile();
    // Each opening of the log window starts a new file.
    void DeleteLogFile();

private:
    QString programFolder_;
    QString text_;
    bool enabled_ = false;
    bool logSyncWords_ = false;
    bool fileErrorNoted_ = false;
};

} // namespace korva
