#include "link/CommLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace korva {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}

CommLog::CommLog(QString programFolder) : programFolder_(std::move(programFolder)) {}

void CommLog::Append(const QString& entry) {
    if (enabled_) {
        AppendAlways(entry);
    }
}

void CommLog::AppendAlways(const QString& entry) {
    text_ += kCrLf;
    text_ += entry;
}

QString CommLog::LogFilePath() const {
    const QString folder = programFolder_.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder_;
    const QFileInfo info(folder);
    if (info.isDir() && info.isWritable()) {
        return QDir(folder).filePath(QLatin1String(kFileName));
    }
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dataFolder);
    return QDir(dataFolder).filePath(QLatin1String(kFileName));
}

bool CommLog::AppendLogToFile(const QString& text) {
    const QString path = LogFilePath();
    QFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly | QIODevice::Append) &&
                    file.write((text + kCrLf).toUtf8()) >= 0 && file.flush();
    if (ok) {
        fileErrorNoted_ = false;
        return true;
    }
    if (!fileErrorNoted_) {
        fileErrorNoted_ = true;
        AppendAlways(QStringLiteral("无法写入日志文件 %1（%2），日志内容保留在窗口中。")
                         .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    return false;
}

bool CommLog::FlushToFile() {
    if (!AppendLogToFile(text_)) {
        return false;
    }
    text_.clear();
    return true;
}

void CommLog::DeleteLogFile() {
    QFile::remove(LogFilePath());
}

} // namespace korva
