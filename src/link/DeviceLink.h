#pragma once
// The device link assembled: transport, protocol, bulk transfer, supervision and log, wired together over
// one HID backend (hidapi for the processor, the virtual processor for tests and the demo).

#include "link/BulkTransfer.h"
#include "link/CommLog.h"
#include "link/Communications.h"
#include "link/ConnectionSupervisor.h"
#include "link/USB_Comm.h"

#include <QObject>

namespace korva {

class HidBackend;
class MessageService;
struct ParamModel;

class DeviceLink : public QObject {
    Q_OBJECT
public:
    // All references must outlive the link. logFolder: where CommIndicator.txt goes (empty: the
    // executable's folder, or the application-data folder when that is read-only).
    DeviceLink(HidBackend& backend, ParamModel& model, MessageService& messages,
               const QString& logFolder = QString(), QObject* parent = nullptr);

    USB_Comm& Usb() { return usb_; }
    Communications& Comm() { return comm_; }
    const Communications& Comm() const { return comm_; }
    BulkTransfer& Bulk() { return bulk_; }
    ConnectionSupervisor& Supervisor() { return supervisor_; }
    CommLog& Log() { return log_; }

    // The main window is first shown or activated: start looking for the processor.
    void Start() { supervisor_.Start(); }
    // The user closes the program: ends every wait and stops the link's timers. False while a command
    // is still unwinding; the close must then be repeated a moment later.
    bool PrepareClose();

private:
    CommLog log_;
    USB_Comm usb_;
    Communications comm_;
    BulkTransfer bulk_;
    ConnectionSupervisor supervisor_;
};

} // namespace korva
