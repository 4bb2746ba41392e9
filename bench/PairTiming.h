// Times a subject and its baseline side by side: each iteration runs both,
// one after the other, so that a machine shared with other work slows both
// alike, and the ratio of their totals is reported beside the times.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>

class PairTiming {
public:
    using Clock = std::chrono::steady_clock;

    explicit PairTiming(benchmark::State& state) : state_(state) {}

    // Runs `work` on the clock and returns its seconds.
    template <typename Work>
    static double secondsOf(Work&& work) {
        Clock::time_point start = Clock::now();
        work();
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    // The subject's time is the iteration's (the benchmark uses manual time).
    template <typename Work>
    void subject(Work&& work) {
        double seconds = secondsOf(work);
        subjectSeconds_ += seconds;
        state_.SetIterationTime(seconds);
    }

    template <typename Work>
    void baseline(Work&& work) {
        baselineSeconds_ += secondsOf(work);
    }

    // Times taken elsewhere (in another process); the caller sets the
    // iteration's time.
    void recordSubject(double seconds) { subjectSeconds_ += seconds; }
    void recordBaseline(double seconds) { baselineSeconds_ += seconds; }

    // Call after the loop: the baseline's mean seconds per iteration, and
    // subject / baseline.
    void report() {
        state_.counters["baseline"] = benchmark::Counter(baselineSeconds_, benchmark::Counter::kAvgIterations);
        state_.counters["ratio"] = baselineSeconds_ > 0 ? subjectSeconds_ / baselineSeconds_ : 0.0;
    }

private:
    benchmark::State& state_;
    double subjectSeconds_ = 0;
    double baselineSeconds_ = 0;
};
