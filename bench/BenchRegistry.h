#pragma once
// A tiny benchmark registry: each bench_*.cpp registers functions that report figures.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace korva::bench {

class Reporter {
public:
    void Figure(const std::string& name, double median, const std::string& unit);
};

using BenchFn = std::function<void(Reporter&)>;

struct Registration {
    Registration(const char* name, BenchFn fn);
};

struct Entry {
    std::string name;
    BenchFn fn;
};
std::vector<Entry>& Registry();

// Median of `runs` timings of fn, in microseconds.
double MedianMicros(int runs, const std::function<void()>& fn);

double Median(std::vector<double> values);

} // namespace korva::bench

#define KORVA_BENCH_CONCAT2(a, b) a##b
#define KORVA_BENCH_CONCAT(a, b) KORVA_BENCH_CONCAT2(a, b)
// KORVA_BENCH(name) { ... r.Figure(...); }
#define KORVA_BENCH(name)                                                                                    \
    static void KORVA_BENCH_CONCAT(bench_fn_, name)(korva::bench::Reporter & r);                             \
    static korva::bench::Registration KORVA_BENCH_CONCAT(bench_reg_,                                         \
                                                         name)(#name, KORVA_BENCH_CONCAT(bench_fn_, name));  \
    static void KORVA_BENCH_CONCAT(bench_fn_, name)([[maybe_unused]] korva::bench::Reporter & r)
