#include "BenchRegistry.h"

#include <algorithm>
#include <cstdio>

namespace korva::bench {

void Reporter::Figure(const std::string& name, double median, const std::string& unit) {
    std::printf("%s %.3f %s\n", name.c_str(), median, unit.c_str());
    std::fflush(stdout);
}

std::vector<Entry>& Registry() {
    static std::vector<Entry> entries;
    return entries;
}

Registration::Registration(const char* name, BenchFn fn) {
    Registry().push_back({name, std::move(fn)});
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double MedianMicros(int runs, const std::function<void()>& fn) {
    std::vector<double> times;
    times.reserve(runs);
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        fn();
        auto t1 = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
    return Median(times);
}

} // namespace korva::bench
