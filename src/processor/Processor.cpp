#include "processor/Processor.h"

#include "model/ParamDefaults.h"
#include "ops/ParamImage.h"

namespace korva {

Processor::Processor(HidBackend& backend, MessageService& messages, const QString& logFolder, QObject* parent)
    : QObject(parent), link_(backend, model_, messages, logFolder) {
    history_.tmrMoveTimeout.setObjectName(QStringLiteral("tmrMoveTimeout"));
    Communications& comm = link_.Comm();
    BulkTransfer& bulk = link_.Bulk();
    connect(&comm, &Communications::OnlineChanged, this, &Processor::OnlineChanged);
    connect(&comm, &Communications::ToneResetReceived, this, &Processor::ToneReset);
    connect(&bulk, &BulkTransfer::TransferStarted, this, &Processor::TransferStarted);
    connect(&bulk, &BulkTransfer::ProgressChanged, this, &Processor::ProgressChanged);
    connect(&bulk, &BulkTransfer::TransferEnded, this, &Processor::TransferEnded);
    connect(&bulk, &BulkTransfer::MemoryRead, this, &Processor::OnMemoryRead);
}

Processor::~Processor() = default;

bool Processor::IsOnline() const {
    return link_.Comm().IsOnline();
}

// Whatever the link has read is the new image, complete or not; the history starts from it.
void Processor::OnMemoryRead() {
    emit ImageChanged();
    history_.UndoRedoInit();
}

QString Processor::WriteRefusal(const ParamRef& ref, uint8_t raw, bool mustSend) {
    const ParamDef& def = *ref.Def;
    if (mustSend && def.Send == ParamSend::DownloadOnly) {
        return QStringLiteral("%1 %2 只随“写入设备”整体写入处理器，不能单独发送").arg(def.Name, def.Label);
    }
    if (raw < def.RawMin || raw > def.RawMax) {
        return QStringLiteral("%1 %2：字节 %3 超出范围 %4–%5")
            .arg(def.Name, def.Label)
            .arg(raw)
            .arg(def.RawMin)
            .arg(def.RawMax);
    }
    return {};
}

bool Processor::SendsOnItsOwn(int address, int field) {
    const ParamDef* def = FindParamAt(uint8_t(address), field);
    return !def || def->Send != ParamSend::DownloadOnly;
}

WriteResult Processor::SetParameter(const ParamRef& ref, uint8_t raw, int origin) {
    const ParamDef& def = *ref.Def;
    if (!WriteRefusal(ref, raw, false).isEmpty()) {
        return WriteResult::Refused;
    }
    return StoreAndWrite(ref.StoredGroup(), def.Address, def.Field, raw, SendValueOf(def, raw),
                         def.Send != ParamSend::DownloadOnly, origin);
}

WriteResult Processor::SetField(int group, int address, int field, uint8_t raw, int origin) {
    if (const ParamDef* def = FindParamAt(uint8_t(address), field)) {
        return SetParameter({def, CellGroup(group, address)}, raw, origin);
    }
    // An unnamed byte of a named record (a cut filter's gain or Q) is sent as that record is.
    for (int other = 0; other < 3; ++other) {
        if (const ParamDef* def = FindParamAt(uint8_t(address), other)) {
            return StoreAndWrite(CellGroup(group, address), address, field, raw, SendValueOf(*def, raw),
                                 def->Send != ParamSend::DownloadOnly, origin);
        }
    }
    return StoreAndWrite(CellGroup(group, address), address, field, raw, raw, true, origin);
}

// A write that carries a value puts it in DATA1: any other byte goes out with its whole stored record.
WriteResult Processor::StoreAndWrite(int group, int address, int field, uint8_t raw, int value, bool send,
                                     int origin) {
    if (field != 0) {
        value = kRecordValueFromStore;
    }
    model_.Cell(group, address).Field(field) = raw;
    emit ParameterChanged(group, address, origin);
    WriteResult result = WriteResult::StoredOnly;
    if (send) {
        result = !IsOnline()                        ? WriteResult::Offline
                 : WriteRecord(group, address, value) ? WriteResult::Sent
                                                      : WriteResult::Failed;
    }
    emit ParameterWritten(group, address, origin);
    return result;
}

void Processor::StoreRecord(int group, int address, const ParamRecord& record, int origin) {
    const int cellGroup = CellGroup(group, address);
    model_.Cell(cellGroup, address) = record;
    emit ParameterChanged(cellGroup, address, origin);
}

QString Processor::PointRecordsRefusal(int group, const std::vector<PointRecord>& records) const {
    if (applyingPoints_ || history_.IsRestoring()) {
        return QStringLiteral("处理器正在写入其他数据，请稍后再试");
    }
    if (group < 0 || group >= kGroupCount) {
        return QStringLiteral("参数组 %1 不存在").arg(group);
    }
    int channel = -1;
    std::vector<bool> seen(kAddressCount, false);
    for (const PointRecord& r : records) {
        const ParamDef* freq = FindParamAt(r.Address, 0);
        if (!freq || freq->Unit != ParamUnit::Hz || freq->Channel < 0) {
            return QStringLiteral("地址 %1 不是 EQ 点").arg(HexAddress(r.Address));
        }
        if (channel >= 0 && freq->Channel != channel) {
            return QStringLiteral("这些 EQ 点不属于同一个通道");
        }
        channel = freq->Channel;
        if (seen[r.Address]) {
            return QStringLiteral("地址 %1 出现了两次").arg(HexAddress(r.Address));
        }
        seen[r.Address] = true;
        // A cut filter's gain and Q bytes belong to no parameter: they are kept as given.
        for (int field = 0; field < 3; ++field) {
            if (const ParamDef* def = FindParamAt(r.Address, field)) {
                const QString refusal = WriteRefusal({def, group}, r.Record.Field(field), false);
                if (!refusal.isEmpty()) {
                    return refusal;
                }
            }
        }
    }
    return {};
}

// Everything is stored before the first write goes out, so the image never holds half a curve while a
// write waits; a write that fails ends the sending, the records stay stored (as an undo restore does).
PointsApplied Processor::ApplyPointRecords(int group, const std::vector<PointRecord>& records, int origin) {
    using Outcome = PointsApplied::Outcome;
    PointsApplied applied;
    applied.Reason = PointRecordsRefusal(group, records);
    if (!applied.Reason.isEmpty()) {
        applied.Result = Outcome::Refused;
        return applied;
    }
    std::vector<uint8_t> changed;
    for (const PointRecord& r : records) {
        if (model_.Cell(group, r.Address) != r.Record) {
            changed.push_back(r.Address);
        }
    }
    applied.Changed = int(changed.size());
    if (changed.empty()) {
        return applied;
    }
    history_.RecordUndoPoint();
    for (const PointRecord& r : records) {
        model_.Cell(group, r.Address) = r.Record;
    }
    for (uint8_t address : changed) {
        emit ParameterChanged(group, address, origin);
    }
    applied.Result = IsOnline() ? Outcome::Sent : Outcome::Offline;
    applyingPoints_ = true;
    for (uint8_t address : changed) {
        if (applied.Result == Outcome::Sent) {
            if (WriteRecord(group, address)) {
                ++applied.Written;
            } else {
                applied.Result = Outcome::Failed;
            }
        }
        emit ParameterWritten(group, address, origin);
    }
    applyingPoints_ = false;
    return applied;
}

bool Processor::WriteRecord(int group, int address, int value) {
    if (!IsOnline()) {
        return false;
    }
    return link_.Comm().SendCommand(kCmdWriteRecord, CellGroup(group, address), address, value,
                                    kWriteRecordTimeoutMs);
}

int Processor::SendValueOf(const ParamDef& def, uint8_t raw) {
    return def.Send == ParamSend::WholeRecord ? kRecordValueFromStore : raw;
}

QByteArray Processor::WriteFrame(const ParamModel& model, int group, int address, int value) {
    return BuildFrame(model, kCmdWriteRecord, CellGroup(group, address), address, value);
}

bool Processor::SelectGroup(int group) {
    if (!IsOnline()) {
        return false;
    }
    return link_.Comm().SendCommand(kCmdSelectGroup, group, 0, 0, kWriteRecordTimeoutMs);
}

bool Processor::ReadAll() {
    return link_.Bulk().ReadAllFromDevice();
}

bool Processor::Download(bool afterPresetImport) {
    return link_.Bulk().DownloadAllToDevice(afterPresetImport);
}

QString Processor::ImportPreset(const QString& path) {
    if (QString error = LoadPresetIntoModel(model_, path); !error.isEmpty()) {
        return error;
    }
    emit ImageChanged();
    history_.UndoRedoInit();
    if (IsOnline()) {
        Download(true);
    }
    return {};
}

void Processor::ResetCurrentChannel() {
    InitParamDefaults(model_, true);
    emit ImageChanged();
}

// Online every restored record is written as it is restored.
UndoHistory::SendRecordFn Processor::RestoreSender() {
    if (!IsOnline()) {
        return {};
    }
    return [this](int group, int address) { return WriteRecord(group, address); };
}

bool Processor::Undo() {
    if (!history_.Undo(RestoreSender())) {
        return false;
    }
    emit ImageChanged();
    return true;
}

bool Processor::Redo() {
    if (!history_.Redo(RestoreSender())) {
        return false;
    }
    emit ImageChanged();
    return true;
}

} // namespace korva
