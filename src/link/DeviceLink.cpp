#include "link/DeviceLink.h"

namespace korva {

DeviceLink::DeviceLink(HidBackend& backend, ParamModel& model, MessageService& messages,
                       const QString& logFolder, QObject* parent)
    : QObject(parent), log_(logFolder), usb_(backend, messages), comm_(usb_, model, log_, messages),
      bulk_(comm_, model, messages), supervisor_(comm_, bulk_, usb_, log_) {
    usb_.SetVendorID(USB_Comm::kKorvaVendorID);
    usb_.SetProductID(USB_Comm::kKorvaProductID);
    usb_.SetReadTimeOut(0);
    // The main window logs the keep-alive traffic from the start.
    log_.SetLogSyncWords(true);
}

bool DeviceLink::PrepareClose() {
    comm_.BeginClosing();
    supervisor_.StopForClose();
    return !comm_.LinkBusy();
}

} // namespace korva
