#pragma once
// The JSON shapes of what an operation did, with stable English keys: values of named parameters,
// differences by name and what a download wrote. korva-ctl --json prints them and korvad answers with
// them, so that a script reads the same keys from either.

#include "ops/ParamImage.h"
#include "processor/DeviceSession.h"

#include <QJsonArray>
#include <QJsonObject>
#include <vector>

namespace korva {

// {"name", "label", "raw", "value", "text"}: "g1.mic12.eq3.freq", "MODEL 1 话筒1-2 EQ3 频率", 40, 1000,
// "1000 Hz".
QJsonObject ValueJson(const ParamRef& ref, uint8_t raw);
// [{"name", "label", "old", "new", "old_text", "new_text"}]
QJsonArray DifferencesJson(const std::vector<ImageDifference>& differences);
// {"blocks_total", "blocks_written": ["公共块 0xC0", …], "unanswered": text or null, "finished"}
QJsonObject DownloadJson(const DownloadReport& report);

} // namespace korva
