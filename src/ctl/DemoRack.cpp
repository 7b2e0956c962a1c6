#include "ctl/DemoRack.h"

#include "link/FrameProtocol.h"
#include "sim/SavedMemory.h"

#include <QDir>
#include <QFileInfo>
#include <map>
#include <memory>

namespace korva::ctl {

std::unique_ptr<DemoRack> DemoRack::Create(int count, const QString& stateDir, const QString& faults,
                                           QString* error) {
    std::unique_ptr<DemoRack> demo(new DemoRack(count));
    for (int i = 0; i < count; ++i) {
        demo->rack_.Processor(i).SetTimingModel(true);
    }
    demo->stateDir_ = stateDir;
    if (!stateDir.isEmpty()) {
        // Runs that share a state folder share its processors, and so their locks.
        demo->rack_.SetLockScope(QStringLiteral("sim-state:") + QDir(stateDir).absolutePath());
    }
    if (!demo->LoadState(error) || !demo->ArmFaults(faults, error)) {
        return nullptr;
    }
    return demo;
}

QString DemoRack::StateFile(int index) const {
    return QDir(stateDir_).filePath(QStringLiteral("processor-%1.mem").arg(index + 1));
}

bool DemoRack::LoadState(QString* error) {
    if (stateDir_.isEmpty()) {
        return true;
    }
    for (int i = 0; i < rack_.Count(); ++i) {
        const QString file = StateFile(i);
        if (QFileInfo::exists(file) && !sim::LoadMemory(rack_.Processor(i).Memory(), file)) {
            *error = QStringLiteral("--demo-state：%1 不是虚拟处理器的存储文件").arg(file);
            return false;
        }
    }
    return true;
}

void DemoRack::SaveState() {
    if (stateDir_.isEmpty()) {
        return;
    }
    QDir().mkpath(stateDir_);
    for (int i = 0; i < rack_.Count(); ++i) {
        sim::SaveMemory(rack_.Processor(i).Memory(), StateFile(i));
    }
}

bool DemoRack::ArmFaults(const QString& list, QString* error) {
    // Lost acknowledgements and answers per processor, armed by the first command after the handshake so
    // that they fall inside the operation.
    std::map<int, std::pair<int, int>> drops;
    for (const QString& raw : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString item = raw.trimmed();
        QString fault = item;
        int number = 1;
        if (const qsizetype colon = item.indexOf(QLatin1Char(':')); colon > 0) {
            bool ok = false;
            number = item.left(colon).toInt(&ok);
            fault = item.mid(colon + 1);
            if (!ok) {
                number = 0;
            }
        }
        int count = 1;
        QString name = fault;
        if (const qsizetype eq = fault.indexOf(QLatin1Char('=')); eq > 0) {
            bool ok = false;
            name = fault.left(eq);
            count = fault.mid(eq + 1).toInt(&ok);
            if (!ok || count < 1) {
                count = 0;
            }
        }
        if (number < 1 || number > rack_.Count() || count < 1) {
            *error = QStringLiteral("--demo-faults：无效的故障 %1").arg(item);
            return false;
        }
        sim::VirtualProcessor& p = rack_.Processor(number - 1);
        if (name == QLatin1String("drop-acks")) {
            drops[number - 1].first = count;
        } else if (name == QLatin1String("drop-answers")) {
            drops[number - 1].second = count;
        } else if (name == QLatin1String("silent")) {
            p.SetSilent(true);
        } else if (name == QLatin1String("unplug-after-frames")) {
            p.UnplugAfterFrames(count);
        } else if (name == QLatin1String("unplug-after-blocks")) {
            p.UnplugAfterFrames(count, kCmdWriteBlock);
        } else if (name == QLatin1String("misstore-block")) {
            p.MisstoreBlockWrite(count);
        } else {
            *error = QStringLiteral("--demo-faults：未知的故障 %1").arg(item);
            return false;
        }
    }
    for (const auto& [index, dropped] : drops) {
        sim::VirtualProcessor& p = rack_.Processor(index);
        auto armed = std::make_shared<bool>(false);
        // Copies: clang before 16 cannot capture a structured binding.
        const int acks = dropped.first;
        const int answers = dropped.second;
        p.SetReplyFilter([&p, acks, answers, armed](const QByteArray& frame) {
            if (!*armed && uint8_t(frame[1]) >> 4 != kCmdHandshake) {
                *armed = true;
                p.DropNextAcks(acks);
                p.DropNextAnswers(answers);
            }
            return true;
        });
    }
    return true;
}

} // namespace korva::ctl
