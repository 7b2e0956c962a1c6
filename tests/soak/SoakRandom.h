#pragma once
// The one random source of a soak run: a fixed-seed engine and the few draws the run needs.

#include <QByteArray>
#include <cstdint>
#include <initializer_list>
#include <random>

namespace korva::soak {

class SoakRandom {
public:
    explicit SoakRandom(uint32_t seed) : engine_(seed) {}
    void Reseed(uint32_t seed) { engine_.seed(seed); }
    uint32_t NextSeed() { return uint32_t(Int(0, 0x7FFFFFFF)); }

    // Uniform in lowest .. highest, both included.
    int Int(int lowest, int highest) { return std::uniform_int_distribution<int>(lowest, highest)(engine_); }
    double Real(double lowest, double highest) {
        return std::uniform_real_distribution<double>(lowest, highest)(engine_);
    }
    bool Chance(double probability) { return Real(0.0, 1.0) < probability; }
    template <typename T> T Pick(std::initializer_list<T> choices) {
        return *(choices.begin() + Int(0, int(choices.size()) - 1));
    }
    QByteArray Bytes(int count) {
        QByteArray bytes;
        for (int i = 0; i < count; ++i) {
            bytes.append(char(uint8_t(Int(0, 255))));
        }
        return bytes;
    }
    // Index into weights, drawn in proportion to them.
    template <typename Container> size_t Weighted(const Container& weights) {
        int total = 0;
        for (int w : weights) {
            total += w;
        }
        int draw = Int(0, total - 1);
        size_t index = 0;
        for (int w : weights) {
            if (draw < w) {
                return index;
            }
            draw -= w;
            ++index;
        }
        return index - 1;
    }

private:
    std::mt19937 engine_;
};

} // namespace korva::soak
