// Per-iteration times of a benchmark, kept so that percentiles can be reported beside the mean.
#pragma once

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
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

// A scratch folder made under --carpeta DIR (default: here), for benchmarks that touch the disk.
// The other arguments are left in resto for the benchmark library; empty on failure.
class Carpeta {
public:
    Carpeta(int argc, char** argv, const char* prefijo) {
        std::string base = ".";
        for (int i = 0; i < argc; ++i) {
            if (std::strcmp(argv[i], "--carpeta") == 0 && i + 1 < argc) base = argv[++i];
            else resto.push_back(argv[i]);
        }
        std::string plantilla = std::filesystem::absolute(base).string() + "/" + prefijo + "-XXXXXX";
        if (::mkdtemp(plantilla.data())) ruta = plantilla;
        else std::perror("mkdtemp");
    }
    ~Carpeta() {
        std::error_code e;
        if (!ruta.empty()) std::filesystem::remove_all(ruta, e);
    }
    Carpeta(const Carpeta&) = delete;
    Carpeta& operator=(const Carpeta&) = delete;

    std::string ruta;
    std::vector<char*> resto;
};

}  // namespace medida
