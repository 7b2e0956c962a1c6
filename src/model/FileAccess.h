#pragma once
// Files as an installer's scripts meet them: only regular files are read (never a FIFO, a device or a
// folder, so nothing blocks), with a hard byte limit whatever the file system reports; a file is replaced
// by a fresh one in one rename and never written through a symbolic link; a name reaches the file system
// as the exact bytes given, even when they are not UTF-8. Failures say what happened in one Chinese line
// and carry a stable English code for scripts.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace korva {

enum class FileErrorCode {
    None,
    NotFound,         // "not_found": no such file, or a folder on the way is missing
    PermissionDenied, // "permission_denied"
    TooLarge,         // "too_large": over the byte limit of what is read
    DiskFull,         // "disk_full": no space left (or quota) while writing
    NotRegularFile,   // "not_regular_file": a folder, FIFO, device, socket or (as a target) a symbolic link
    NameTooLong,      // "name_too_long": the name or one of its parts is too long, or the name is empty
    ReadFailed,       // "read_failed": any other failure while reading
    WriteFailed,      // "write_failed": any other failure while creating, writing or replacing
    BadFile,          // "bad_file": read, but its content is not what was expected (a preset's checks)
};

// Why a file operation failed. Message is one line of Chinese that names the path once, at its front
// ("<path>：<what happened>"), escaped as DisplayPath shows it: print it as it is, without adding the path.
// Every function here that takes a FileError* leaves it untouched on success.
struct FileError {
    FileErrorCode Code = FileErrorCode::None;
    QString Message;
    QString Reason; // the message without the path, for a display that shows the path apart

    bool Failed() const { return Code != FileErrorCode::None; }
    // The stable English code ("not_found", ...); empty for None.
    QString CodeName() const;

    static FileError For(FileErrorCode code, const QString& path, const QString& reason);
};

// File names as the system gives them (argv, directory entries) to a QString and back without loss:
// valid UTF-8 decodes as usual, and each byte of an invalid sequence becomes the lone surrogate
// U+DC80..U+DCFF, which PathBytes turns back into that byte. QFile::decodeName would map such bytes to
// U+FFFD, and the file would be created under another name.
QString PathFromBytes(QByteArrayView bytes);
// The bytes to hand to open() and rename(): the inverse of PathFromBytes.
QByteArray PathBytes(const QString& path);
// The name for a message: bytes that are not UTF-8 as \xFF, control characters (line ends included) as
// \x0A, everything else as it is.
QString DisplayPath(const QString& path);

// The most any reader here takes in: a preset is about 40 KB.
inline constexpr qint64 kMaxReadBytes = 16 * 1024 * 1024;

// Reads a whole regular file into bytes. Anything else (a folder, FIFO, device, socket, /dev/stdin on a
// pipe or terminal) is refused before it is opened, so nothing blocks; the opened descriptor is checked to
// be that same regular file, so nothing can be swapped in between. More than maxBytes is TooLarge,
// whatever size the file reports (files under /proc report 0; /proc/self/pagemap is endless).
// A symbolic link is followed (reading through it harms nothing; what it leads to must be a regular file).
bool ReadRegularFile(const QString& path, QByteArray& bytes, FileError* error = nullptr,
                     qint64 maxBytes = kMaxReadBytes);

// Replaces path with a fresh regular file holding exactly bytes: written to a new file in the same folder,
// flushed to the disk, then renamed over path in one step, so readers see the old file or the new one and
// never a part. Nothing of an existing file is read. Refused without opening anything: a target that is a
// folder, FIFO, device or socket, and a symbolic link (the backup would otherwise either overwrite the file
// it points to, or silently stop updating the file its owner meant; refusing tells both). On failure path
// is unchanged and no temporary file is left.
bool ReplaceFile(const QString& path, const QByteArray& bytes, FileError* error = nullptr);

// Whether ReplaceFile could replace path now: the same checks on the target, and a scratch file created
// and removed in its folder (so a read-only or missing folder is found before any long work).
bool CheckReplaceable(const QString& path, FileError* error = nullptr);

} // namespace korva
