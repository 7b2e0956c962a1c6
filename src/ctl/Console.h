#pragma once
// korva-ctl's standard output and standard error. Every write is checked: a write that fails (a full disk,
// a closed descriptor, an I/O error) makes the run fail, while a reader that closed its pipe (`| head -1`)
// only ends that stream: what it did not want to read is dropped, and the command keeps its own exit code.
// SIGPIPE is ignored for that, so a closed pipe is an error code here and never ends the program.

#include <QByteArray>
#include <QString>

namespace korva::ctl {

class Console {
public:
    // Call before anything opens a file: a standard stream closed at start (`>&-`) gets /dev/null in its
    // place, so that no file or device opened later takes its number and receives the program's text;
    // writing to it still counts as a failed write.
    Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    void Out(const QString& text);
    void Err(const QString& text);
    // "korva-ctl: TEXT" and a line end on standard error.
    void Error(const QString& text);

    // A write failed for another reason than a reader that went away.
    bool Failed() const { return out_.failed != 0 || err_.failed != 0; }
    bool ErrFailed() const { return err_.failed != 0; }
    // Why, in one line: "无法写入标准输出：磁盘已满".
    QString FailureText() const;

private:
    struct Stream {
        int fd = -1;
        bool closedAtStart = false;
        bool readerGone = false; // EPIPE: nothing more is written to it
        int failed = 0;          // errno of the first failed write
    };
    static void Write(Stream& stream, const QByteArray& bytes);

    Stream out_;
    Stream err_;
};

} // namespace korva::ctl
