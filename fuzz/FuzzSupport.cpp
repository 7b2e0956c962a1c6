#include "FuzzSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace korva::fuzz {

QString WriteScratchFile(const uint8_t* data, size_t size, const QString& name) {
    // One folder per fuzzing process, removed when it exits; a RAM-backed place keeps the runs fast.
    static QTemporaryDir dir(
        QFile::exists(QStringLiteral("/dev/shm")) ? QStringLiteral("/dev/shm/korva-fuzz-XXXXXX") : QString());
    Check(dir.isValid(), "scratch folder");
    const QString path = dir.filePath(name);
    QFile file(path);
    Check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "open scratch file");
    Check(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size),
          "write scratch file");
    return path;
}

QByteArray ReadWholeFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
        std::abort();
    }
}

} // namespace korva::fuzz
