#pragma once
// What one command did on one processor, or, without a processor, with two files (diff) or before any
// processor was reached (a refused command line, file or selection): the data korva-ctl prints as text or
// as one JSON object.

#include "ctl/CtlOptions.h"
#include "ctl/EqTuning.h"
#include "link/HidBackend.h"
#include "ops/ParamImage.h"
#include "processor/DeviceSession.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace korva::ctl {

struct ParamValue {
    ParamRef Ref;
    uint8_t Raw = 0;
    // set: the value as asked, trimmed ("1.2k", "-3.33", "on"), and as a number in user units (not for
    // switches)
    QString RequestedText;
    std::optional<double> Requested;
};

struct ProcessorResult {
    std::optional<HidDeviceInfo> Device; // none for diff and for failures before any processor
    QString Url;                         // through korvad (--remote): the room's address
    int Exit = kExitOk;
    QString Code;        // the stable English code of the failure; empty when the command did its job
    QString Error;       // the same in Chinese, one line
    QStringList Details; // lines the text output adds below Error (the processors to choose from)
    std::vector<HidDeviceInfo> Processors; // several_processors, not_found: the attached ones
    QStringList Messages;                  // what the link reported meanwhile
    bool Answered = false;                 // list: the processor answered the handshake
    QString File;                          // backup, eq --out: the file written
    std::optional<ParamImage> Image;       // backup: the memory read, for the file
    std::vector<ImageDifference> Differences;
    std::optional<DownloadReport> Download; // restore
    bool ReadBackDone = false;              // restore: the whole memory was read back and compared
    std::vector<ParamValue> Values;         // get: values read; set: values written
    std::optional<EqOutcome> Eq;            // eq: the channel before and after, the fit, the changes

    // The command did what it was asked (verify and diff did, whatever differences they found).
    bool Ok() const { return Code.isEmpty(); }
    // why is kept on one line.
    ProcessorResult& Fail(int exit, const QString& code, const QString& why) {
        Exit = exit;
        Code = code;
        Error = QString(why).replace(QLatin1Char('\n'), QLatin1Char(' '));
        return *this;
    }
};

// "sim:korva-processor-1（序列号 SIM-0001）"
QString DescribeDevice(const HidDeviceInfo& device);
// The same, after the room's address when the processor was reached through korvad.
QString DescribeResultDevice(const ProcessorResult& result);

} // namespace korva::ctl
