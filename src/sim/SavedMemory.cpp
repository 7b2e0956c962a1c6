#include "sim/SavedMemory.h"

#include <QFile>
#include <QSaveFile>

namespace korva::sim {

namespace {
const QByteArray kMagic = QByteArrayLiteral("KORVA-SIM-MEMORY-1\n");
constexpr qsizetype kStoreBytes = qsizetype(kGroupCount) * kAddressCount * 3;
constexpr qsizetype kFileBytes = kStoreBytes + kAddressCount + sizeof(DevicePasswordBytes) + 1;
} // namespace

bool SaveMemory(const ParamModel& memory, const QString& path) {
    QByteArray bytes = kMagic;
    bytes.reserve(kMagic.size() + kFileBytes);
    for (int group = 0; group < kGroupCount; ++group) {
        for (int address = 0; address < kAddressCount; ++address) {
            const ParamRecord& r = memory.Store.at(group, address);
            bytes.append(char(r.DATA1)).append(char(r.DATA2)).append(char(r.DATA3));
        }
    }
    for (uint8_t b : memory.MenuShow) {
        bytes.append(char(b));
    }
    for (uint8_t b : memory.DevicePassword) {
        bytes.append(char(b));
    }
    bytes.append(char(memory.CurrentGroup));
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

bool LoadMemory(ParamModel& memory, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() != kMagic.size() + kFileBytes || !bytes.startsWith(kMagic)) {
        return false;
    }
    const auto at = [&](qsizetype i) { return uint8_t(bytes[kMagic.size() + i]); };
    qsizetype i = 0;
    for (int group = 0; group < kGroupCount; ++group) {
        for (int address = 0; address < kAddressCount; ++address, i += 3) {
            memory.Store.at(group, address) = {at(i), at(i + 1), at(i + 2)};
        }
    }
    for (uint8_t& b : memory.MenuShow) {
        b = at(i++);
    }
    for (uint8_t& b : memory.DevicePassword) {
        b = at(i++);
    }
    memory.CurrentGroup = uint8_t(at(i) % kGroupCount);
    return true;
}

} // namespace korva::sim
