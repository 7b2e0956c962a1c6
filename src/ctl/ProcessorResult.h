#pragma once
// What one command did on one processor (or, for diff, with two files): the data korva-ctl prints as text
// or as one JSON object.

#include "ctl/CtlOptions.h"
#include "link/HidBackend.h"
#include "processor/DeviceSession.h"
#include "ops/ParamImage.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace korva::ctl {

struct ParamValue {
    ParamRef Ref;
    uint8_t Raw = 0;
};

struct ProcessorResult {
    std::optional<HidDeviceInfo> Device; // none for diff
    int Exit = kExitOk;
    QString Error;         // why the command failed on this processor
    QStringList Messages;  // what the link reported meanwhile
    bool Answered = false; // list: the processor answered the handshake
    QString File;          // backup: the file written
    std::vector<ImageDifference> Differences;
    std::optional<DownloadReport> Download; // restore
    bool ReadBackDone = false;              // restore: the whole memory was read back and compared
    std::vector<ParamValue> Values;         // get: values read; set: values written

    ProcessorResult& Fail(int exit, const QString& why) {
        Exit = exit;
        Error = why;
        return *this;
    }
};

// "sim:korva-processor-1（序列号 SIM-0001）"
QString DescribeDevice(const HidDeviceInfo& device);

} // namespace korva::ctl
