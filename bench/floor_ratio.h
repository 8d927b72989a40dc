// Times a workload and its floor (the work that cannot be avoided) side by
// side in every iteration, and reports their ratio as the counter
// "x_floor", so the figure does not depend on how fast the machine is.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>

namespace bench {

// Register the benchmark with ->UseManualTime(): the reported time is the
// workload's; the floor is timed alongside it on the same inputs.
template <class Work, class Floor>
void runAgainstFloor(benchmark::State& state, std::int64_t itemsPerPass, Work work, Floor floor)
{
    using Clock = std::chrono::steady_clock;
    double workSeconds = 0.0;
    double floorSeconds = 0.0;
    for (auto _ : state) {
        const auto start = Clock::now();
        work();
        const auto middle = Clock::now();
        floor();
        const auto end = Clock::now();
        const double workPass = std::chrono::duration<double>(middle - start).count();
        workSeconds += workPass;
        floorSeconds += std::chrono::duration<double>(end - middle).count();
        state.SetIterationTime(workPass);
    }
    state.SetItemsProcessed(state.iterations() * itemsPerPass);
    state.counters["x_floor"] = floorSeconds > 0.0 ? workSeconds / floorSeconds : 0.0;
}

}  // namespace bench
