// Times a workload and its floor (the work that cannot be avoided) side by
// side in every iteration, and reports their ratio as the counter
// "x_floor", so the figure does not depend on how fast the machine is.
// Single-threaded passes, timed in the thread's processor time, each pair
// run the same number of times between two clock reads.
// runAgainstFloors adds a second pair timed in the same passes, reported as
// "x_alone": the deliverable alone, through its real entry point on the
// cheapest host possible, against every operation it must do written inline.
#pragma once

#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdint>

namespace bench {

// Processor time of the calling thread: a pass that another program's thread
// pushes off the processor for a while is not charged for the wait, so the
// ratios hold on a machine that other work shares.
inline double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

template <class Pass>
double secondsOf(Pass pass, int repeats = 1)
{
    const double start = threadSeconds();
    for (int r = 0; r < repeats; ++r) pass();
    return threadSeconds() - start;
}

// How many times a pass runs between two clock reads. Reading this clock is
// a system call (about a microsecond on a virtual machine), as long as a
// pass of a few dozen samples: timed once per pass, it would be added to
// both sides of a ratio and pull it toward 1. Repeated until a timed stretch
// lasts a millisecond, the read is a thousandth of it.
template <class Pass>
int repeatsFor(Pass pass)
{
    const double enough = 1e-3;
    pass();  // warm
    int repeats = 1;
    while (repeats < (1 << 20) && secondsOf(pass, repeats) < enough) repeats *= 2;
    return repeats;
}

inline double ratio(double numerator, double denominator) { return denominator > 0.0 ? numerator / denominator : 0.0; }

// Register the benchmark with ->UseManualTime(): the reported time is the
// workload's; the floor is timed alongside it on the same inputs.
template <class Work, class Floor>
void runAgainstFloor(benchmark::State& state, std::int64_t itemsPerPass, Work work, Floor floor)
{
    const int repeats = repeatsFor(work);
    double workSeconds = 0.0;
    double floorSeconds = 0.0;
    for (auto _ : state) {
        const double workPass = secondsOf(work, repeats);
        workSeconds += workPass;
        floorSeconds += secondsOf(floor, repeats);
        state.SetIterationTime(workPass);
    }
    state.SetItemsProcessed(state.iterations() * repeats * itemsPerPass);
    state.counters["x_floor"] = ratio(workSeconds, floorSeconds);
}

// As runAgainstFloor, with the pair `alone` / `aloneFloor` timed in every
// iteration too. The reported time stays the workload's.
template <class Work, class Floor, class Alone, class AloneFloor>
void runAgainstFloors(benchmark::State& state, std::int64_t itemsPerPass, Work work, Floor floor, Alone alone,
                      AloneFloor aloneFloor)
{
    const int repeats = repeatsFor(work);
    double workSeconds = 0.0;
    double floorSeconds = 0.0;
    double aloneSeconds = 0.0;
    double aloneFloorSeconds = 0.0;
    for (auto _ : state) {
        const double workPass = secondsOf(work, repeats);
        workSeconds += workPass;
        floorSeconds += secondsOf(floor, repeats);
        aloneSeconds += secondsOf(alone, repeats);
        aloneFloorSeconds += secondsOf(aloneFloor, repeats);
        state.SetIterationTime(workPass);
    }
    state.SetItemsProcessed(state.iterations() * repeats * itemsPerPass);
    state.counters["x_floor"] = ratio(workSeconds, floorSeconds);
    state.counters["x_alone"] = ratio(aloneSeconds, aloneFloorSeconds);
}

}  // namespace bench
