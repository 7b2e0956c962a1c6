#include "ctl/BackupTargets.h"

#include "ctl/ErrorCodes.h"
#include "model/FileAccess.h"

#include <QFileInfo>
#include <set>

namespace korva::ctl {

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
                         QStringLiteral("多台处理器会写入同一个文件 %1：请在文件名中用 {n} 区分")
                             .arg(DisplayPath(file)));
            return std::nullopt;
        }
        files[devices[i].Path] = file;
    }
    return files;
}

bool CheckBackupFiles(const std::map<std::string, QString>& files, ProcessorResult& refusal) {
    for (const auto& [device, file] : files) {
        if (FileError error; !CheckReplaceable(file, &error)) {
            refusal.Fail(kExitUsage, error.CodeName(), error.Message);
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
        // A fresh file with exactly the memory: whatever was there is replaced, never merged.
        if (FileError error; WritePresetBackup(*r.Image, file, &error)) {
            r.File = file;
        } else {
            r.Fail(kExitUsage, error.CodeName(), error.Message);
        }
    }
}

} // namespace korva::ctl
