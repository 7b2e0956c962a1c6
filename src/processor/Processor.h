#pragma once
// One processor as every front end drives it: the parameter image (store and menu table), the undo
// history and the link to the device, with the operations the window, korva-ctl and the service share.
// Which group a parameter lives in, what may be sent on its own, the range of a byte, the write command
// and its time-out are decided here and nowhere else. The processor announces what changed; it never
// calls a front end, and it knows no widget.

#include "link/DeviceLink.h"
#include "link/FrameProtocol.h"
#include "model/ParamStore.h"
#include "model/UndoHistory.h"
#include "ops/ParamTable.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <vector>

namespace korva {

class HidBackend;
class MessageService;

// How a parameter write ended.
enum class WriteResult {
    Sent,       // stored, sent and answered
    StoredOnly, // stored; the parameter travels only with a whole download
    Offline,    // stored; nothing sent while offline
    Failed,     // stored; the write went unanswered (the link has reported it and gone offline)
    Refused,    // nothing stored or sent: the byte is outside the parameter's range
};

// One EQ point's whole record (a band's three indices, a cut filter's frequency index in DATA1).
struct PointRecord {
    uint8_t Address = 0;
    ParamRecord Record;
};

// How a set of EQ point records was applied.
struct PointsApplied {
    enum class Outcome {
        Sent,      // the changed records are stored and each was written and answered
        Unchanged, // every record already held its values: nothing stored, sent or recorded for undo
        Offline,   // stored; nothing sent while offline
        Failed,    // stored; a write went unanswered (the link has reported it and gone offline), the
                   // records after it were not sent
        Refused,   // nothing stored or sent (Reason says why)
    };
    Outcome Result = Outcome::Unchanged;
    int Changed = 0; // records that differed from the image
    int Written = 0; // of those, written and answered
    QString Reason;  // Refused: for the user
};

class Processor : public QObject {
    Q_OBJECT
public:
    // backend and messages must outlive the processor. logFolder: where the communication log goes.
    Processor(HidBackend& backend, MessageService& messages, const QString& logFolder = QString(),
              QObject* parent = nullptr);
    ~Processor() override;

    ParamModel& Model() { return model_; }
    const ParamModel& Model() const { return model_; }
    UndoHistory& History() { return history_; }
    DeviceLink& Link() { return link_; }
    bool IsOnline() const;

    // Why raw may not be written to the parameter (outside its range; with mustSend, a parameter that
    // travels only with a download); empty when it may.
    static QString WriteRefusal(const ParamRef& ref, uint8_t raw, bool mustSend);

    // False for a byte that travels only with a whole download (stored, never written on its own).
    static bool SendsOnItsOwn(int address, int field);

    // The one parameter write: stores raw in the parameter's byte, announces the change, and when online
    // sends the single-parameter write the parameter takes (the byte alone, or the whole stored record),
    // unless it travels only with a download. origin is the caller's tag, handed back in
    // ParameterChanged.
    WriteResult SetParameter(const ParamRef& ref, uint8_t raw, int origin = 0);
    // The same for field 0..2 of an address in a group (Common addresses: group 0). A byte no named
    // parameter owns is stored unchecked and sent as its record's named bytes are (else as a value).
    WriteResult SetField(int group, int address, int field, uint8_t raw, int origin = 0);
    // Stores a whole record and announces it without sending it (an EQ point being dragged is written
    // once per redraw, with WriteRecord).
    void StoreRecord(int group, int address, const ParamRecord& record, int origin = 0);
    // Sets several EQ points of one channel at once (a fitted or imported curve): one undo step, then the
    // records that differ are stored and announced, and when online each of them is written once, as the
    // graph writes a point (the whole record). Refused, with nothing changed, for records that are not
    // points of one EQ channel, for bytes outside their parameter's range, and while an undo or redo is
    // still sending or another set is being written (its result would be overwritten).
    PointsApplied ApplyPointRecords(int group, const std::vector<PointRecord>& records, int origin = 0);
    // The single-parameter write of one address: value is one byte, or kRecordValueFromStore for the
    // stored record. Nothing is sent offline (false).
    bool WriteRecord(int group, int address, int value = kRecordValueFromStore);
    // The value a single-parameter write of the parameter carries: raw, or kRecordValueFromStore.
    static int SendValueOf(const ParamDef& def, uint8_t raw);
    // The frame WriteRecord sends for an image.
    static QByteArray WriteFrame(const ParamModel& model, int group, int address,
                                 int value = kRecordValueFromStore);

    // The processor plays parameter group `group` (command 4). Nothing is sent offline.
    bool SelectGroup(int group);

    // The whole memory into the image (28 block reads); the undo history starts afresh from it.
    bool ReadAll();
    // The whole image to the processor: 25 blocks, then command 3, or command 4 for CurrentGroup after a
    // preset import.
    bool Download(bool afterPresetImport = false);
    // Reads a preset file into the image (checked whole first, and refused when a downloaded byte is one
    // the link reserves: on any error nothing changes), starts the undo history afresh and, when online,
    // downloads it. Empty on success, else the message for the user.
    QString ImportPreset(const QString& path);
    // The current EQ channel of the current group back to its defaults (not sent: see WriteRecord).
    void ResetCurrentChannel();

    // Step through the undo history; online every restored record is written. False when nothing
    // changed (nothing to undo or redo, or a restore still sending).
    bool Undo();
    bool Redo();

signals:
    // One parameter's record changed (group as given; for Common addresses 0).
    void ParameterChanged(int group, int address, int origin);
    // The write that followed ParameterChanged has ended (sent, failed, or nothing to send).
    void ParameterWritten(int group, int address, int origin);
    // The whole image may have changed (read, import, reset, undo, redo).
    void ImageChanged();
    void OnlineChanged(bool online);
    // A read or download: no edits until TransferEnded; progress from 0 to maximum (a read runs past).
    void TransferStarted(int maximum);
    void ProgressChanged(int value);
    void TransferEnded();
    // The processor reset its key shift by itself.
    void ToneReset();

private:
    void OnMemoryRead();
    UndoHistory::SendRecordFn RestoreSender();
    WriteResult StoreAndWrite(int group, int address, int field, uint8_t raw, int value, bool send, int origin);

    QString PointRecordsRefusal(int group, const std::vector<PointRecord>& records) const;

    ParamModel model_;
    UndoHistory history_{model_.Store};
    DeviceLink link_;
    bool applyingPoints_ = false;
};

} // namespace korva
