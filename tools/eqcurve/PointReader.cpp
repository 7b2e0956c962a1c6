#include "PointReader.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <sstream>

namespace korva::eqcurve {

namespace {

constexpr double kNyquistHz = 24000.0;
constexpr double kGainLimitDb = 60.0;
constexpr double kQLimit = 100.0;

std::optional<double> ParseNumber(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<EqPointKind> ParseKind(const std::string& text) {
    if (text == "peak") {
        return EqPointKind::Peak;
    }
    if (text == "highcut") {
        return EqPointKind::HighCut;
    }
    if (text == "lowcut") {
        return EqPointKind::LowCut;
    }
    return std::nullopt;
}

// Why the fields of one line do not make a point; empty when they do.
std::string CheckLine(const std::vector<std::string>& fields, EqPoint& point) {
    if (fields.size() != 4) {
        return "应为 4 项（类型 频率Hz 增益dB Q），实际 " + std::to_string(fields.size()) + " 项";
    }
    const std::optional<EqPointKind> kind = ParseKind(fields[0]);
    if (!kind) {
        return "未知类型 \"" + fields[0] + "\"，应为 peak、highcut 或 lowcut";
    }
    const char* names[] = {"频率", "增益", "Q"};
    double values[3] = {};
    for (int i = 0; i < 3; ++i) {
        const std::optional<double> v = ParseNumber(fields[size_t(i) + 1]);
        if (!v) {
            return std::string(names[i]) + " \"" + fields[size_t(i) + 1] + "\" 不是有效数字";
        }
        values[i] = *v;
    }
    if (!(values[0] > 0 && values[0] < kNyquistHz)) {
        return "频率须大于 0 且小于 24000 Hz";
    }
    if (std::fabs(values[1]) > kGainLimitDb) {
        return "增益须在 -60 到 +60 dB 之间";
    }
    if (*kind == EqPointKind::Peak && !(values[2] > 0 && values[2] <= kQLimit)) {
        return "Q 须大于 0 且不超过 100";
    }
    point.Kind = *kind;
    point.FrequencyHz = float(values[0]);
    point.GainDb = *kind == EqPointKind::Peak ? float(values[1]) : 0.0f;
    point.Q = float(values[2]);
    point.InUse = true;
    return {};
}

} // namespace

ReadResult ReadPoints(std::istream& in) {
    ReadResult result;
    std::string line;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
        std::istringstream words(line);
        std::vector<std::string> fields;
        for (std::string word; words >> word;) {
            fields.push_back(word);
        }
        if (fields.empty()) {
            continue;
        }
        EqPoint point;
        const std::string error = CheckLine(fields, point);
        if (!error.empty()) {
            result.Error = "第 " + std::to_string(lineNumber) + " 行: " + error;
            result.Points.clear();
            return result;
        }
        result.Points.push_back(point);
    }
    return result;
}

} // namespace korva::eqcurve
