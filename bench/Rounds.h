#pragma once
// What the side-by-side benchmarks share: each case runs in several rounds, alternating with its
// anchor so that drift in the machine's speed hits both; every round records its mean time per
// iteration, and the ratio is taken between the medians of the rounds.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace bench {

// Nanoseconds per iteration, one entry per round, by case name.
inline std::map<std::string, std::vector<double>> gMeans;

inline void Record(benchmark::State& state, const std::string& name, double totalNs) {
    const double mean = totalNs / double(state.iterations());
    gMeans[name].push_back(mean);
    state.counters["ns_per_iteration"] = mean;
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace bench
