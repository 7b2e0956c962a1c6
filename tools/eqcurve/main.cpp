// eqcurve [--width PX] [--repeat N] < points
//
// Prints "COLUMN FREQ_HZ DB" for every pixel column of the summed response of the EQ points on standard
// input, on a graph canvas PX pixels wide (1547 by default). With --repeat N the response is evaluated N
// times and the median time of one evaluation is written to standard error as "eval_us_median X".
// Bad input or arguments: one line on standard error and exit status 2.

#include "PointReader.h"

#include "eq/GraphGeometry.h"
#include "eq/ResponseBuffer.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace korva;

constexpr int kExitBadInput = 2;
constexpr int kMaxWidth = 16384;
constexpr int kMaxRepeat = 1000000;

int Fail(const std::string& message) {
    std::fprintf(stderr, "eqcurve: %s\n", message.c_str());
    return kExitBadInput;
}

bool ParseCount(const char* text, int lowest, int highest, int& value) {
    const std::string s(text);
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && ptr == s.data() + s.size() && value >= lowest && value <= highest;
}

double EvaluateMicros(ResponseBuffer& response, const GraphGeometry& geometry,
                      const std::vector<EqPoint>& points) {
    const auto start = std::chrono::steady_clock::now();
    response.Clear(geometry);
    for (const EqPoint& p : points) {
        response.AddPoint(p);
    }
    response.Values();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    int width = GraphGeometry::kDesignWidth;
    int repeat = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::printf("用法: eqcurve [--width 像素] [--repeat 次数] < 点列表\n"
                        "每行一个点: peak|highcut|lowcut 频率Hz 增益dB Q\n");
            return 0;
        }
        const bool isWidth = arg == "--width";
        if (!isWidth && arg != "--repeat") {
            return Fail("未知参数 \"" + arg + "\"");
        }
        if (i + 1 >= argc) {
            return Fail("参数 " + arg + " 缺少数值");
        }
        const bool ok = isWidth ? ParseCount(argv[++i], 1, kMaxWidth, width)
                                : ParseCount(argv[++i], 1, kMaxRepeat, repeat);
        if (!ok) {
            return Fail(isWidth ? "--width 须为 1 到 16384 之间的整数"
                                : "--repeat 须为 1 到 1000000 之间的整数");
        }
    }

    const eqcurve::ReadResult input = eqcurve::ReadPoints(std::cin);
    if (!input.Error.empty()) {
        return Fail(input.Error);
    }

    const GraphGeometry geometry = ComputeGraphGeometry(width);
    ResponseBuffer response;
    if (repeat > 0) {
        std::vector<double> times;
        times.reserve(size_t(repeat));
        for (int i = 0; i < repeat; ++i) {
            times.push_back(EvaluateMicros(response, geometry, input.Points));
        }
        std::nth_element(times.begin(), times.begin() + repeat / 2, times.end());
        std::fprintf(stderr, "eval_us_median %.3f\n", times[size_t(repeat / 2)]);
    } else {
        EvaluateMicros(response, geometry, input.Points);
    }
    const std::span<const float> db = response.Values();
    for (int c = 0; c < response.ColumnCount(); ++c) {
        std::printf("%d %.2f %.3f\n", c, geometry.ColumnFrequencyHz(c), double(db[size_t(c)]));
    }
    return 0;
}
