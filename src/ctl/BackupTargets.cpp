#include "ctl/BackupTargets.h"

#include "ctl/ErrorCodes.h"

#include <QFileInfo>
#include <set>

namespace korva::ctl {

namespace {

// Whether the file can be replaced by a fresh one now.
bool CheckWritable(const QString& file, ProcessorResult& refusal) {
    const QFileInfo info(file);
    const QFileInfo folder(info.absolutePath());
    if (info.isSymLink() || (info.exists() && !info.isFile())) {
        refusal.Fail(kExitUsage, QStringLiteral("not_regular_file"),
                     QStringLiteral("%1：不是普通文件，备份不会替换它").arg(file));
    } else if (!folder.isDir()) {
        refusal.Fail(kExitUsage, QStringLiteral("not_found"),
                     QStringLiteral("%1：文件夹 %2 不存在").arg(file, folder.filePath()));
    } else if (!folder.isWritable()) {
        refusal.Fail(kExitUsage, QStringLiteral("permission_denied"),
                     QStringLiteral("%1：没有写入文件夹 %2 的权限").arg(file, folder.filePath()));
    }
    return refusal.Ok();
}

} // namespace

std::optional<std::map<std::string, QString>>
BackupFileNames(const QString& pattern, const std::vector<HidDeviceInfo>& devices, ProcessorResult& refusal) {
    std::set<QString> serials;
    for (const HidDeviceInfo& device : devices) {
        serials.insert(device.SerialNumber);
    }
    // Processors without serial numbers, or with the same one, are told apart by their number.
    const bool serialsDistinct = serials.size() == devices.size() && !serials.count(QString());
    const bool placeholders =
        pattern.contains(QLatin1String("{serial}")) || pattern.contains(QLatin1String("{n}"));
    const QFileInfo info(pattern);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    std::map<std::string, QString> files;
    std::set<QString> names;
    for (size_t i = 0; i < devices.size(); ++i) {
        const QString number = QString::number(i + 1);
        const QString serial = serialsDistinct ? devices[i].SerialNumber : number;
        QString file = pattern;
        if (placeholders) {
            file.replace(QLatin1String("{serial}"),
                         devices[i].SerialNumber.isEmpty() ? number : devices[i].SerialNumber)
                .replace(QLatin1String("{n}"), number);
        } else if (devices.size() > 1) {
            file = pattern.left(pattern.size() - suffix.size()) + QLatin1Char('-') + serial + suffix;
        }
        if (!names.insert(QFileInfo(file).absoluteFilePath()).second) {
            refusal.Fail(kExitUsage, codes::kUsage,
                         QStringLiteral("多台处理器会写入同一个文件 %1：请在文件名中用 {n} 区分").arg(file));
            return std::nullopt;
        }
        files[devices[i].Path] = file;
    }
    return files;
}

bool CheckBackupFiles(const std::map<std::string, QString>& files, ProcessorResult& refusal) {
    for (const auto& [device, file] : files) {
        if (!CheckWritable(file, refusal)) {
            return false;
        }
    }
    return true;
}

void WriteBackups(const std::map<std::string, QString>& files, std::vector<ProcessorResult>& results) {
    for (ProcessorResult& r : results) {
        if (!r.Image || !r.Device) {
            continue;
        }
        const QString& file = files.at(r.Device->Path);
        QString why;
        if (SavePresetImage(*r.Image, file, &why)) {
            r.File = file;
        } else {
            r.Fail(kExitUsage, QStringLiteral("write_failed"), why);
        }
    }
}

} // namespace korva::ctl
