// Per-iteration times of a benchmark, kept so that percentiles can be reported beside the mean.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <vector>

namespace medida {

using Reloj = std::chrono::steady_clock;

inline double Segundos(Reloj::time_point a, Reloj::time_point b) { return std::chrono::duration<double>(b - a).count(); }

class Muestras {
public:
    void Anotar(double segundos) { s_.push_back(segundos); }
    std::size_t Cuantas() const { return s_.size(); }

    // Nearest-rank percentile, in milliseconds.
    double PercentilMs(double p) {
        if (s_.empty()) return 0;
        std::sort(s_.begin(), s_.end());
        const auto rango = static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(s_.size())));
        return s_[std::clamp<std::size_t>(rango, 1, s_.size()) - 1] * 1e3;
    }

    // p50, p99 and max as counters (milliseconds), read by ejecutar.sh from the JSON output.
    void Publicar(benchmark::State& state) {
        state.counters["p50_ms"] = PercentilMs(50);
        state.counters["p99_ms"] = PercentilMs(99);
        state.counters["max_ms"] = PercentilMs(100);
        state.counters["muestras"] = static_cast<double>(s_.size());
    }

private:
    std::vector<double> s_;
};

}  // namespace medida
