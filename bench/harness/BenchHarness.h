// A small benchmark harness. Every case is timed against a baseline measured in the
// same run, so that results are ratios that mean something on any machine.
//
//   int main(int argc, char** argv)
//   {
//       Bench::Harness harness("bench_example", argc, argv);
//       harness.Compare("copy 256 KB", bytes.size(),
//                       {"memcpy", [&] { std::memcpy(dst, src, n); return size_t(dst[0]); }},
//                       {{"ours", [&] { return OurCopy(dst, src, n); }}});
//       return harness.Finish();
//   }
//
// A case body does its work once and returns a value derived from the output, which
// the harness keeps so that the work cannot be optimised away. Timing uses
// QueryPerformanceCounter: the repetitions per sample are calibrated so that one
// sample lasts about --sample-ms; warm-up samples come first; then the samples of the
// baseline and of the candidates are taken in turn, so that changes in machine load
// touch all of them alike. Reported per case: median time per run, min, max, the
// median absolute deviation (as % of the median), throughput, and the speed-up
// against the baseline (baseline median / case median: above 1 is faster).
//
// Command line: --json PATH (default: <program>.json beside the program),
// --samples N (15), --warmup N (3), --sample-ms N (20), --filter TEXT (groups whose
// name contains TEXT). Finish() prints the table, writes the JSON and returns the
// exit code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Bench {

struct Case {
    std::string name;
    std::function<size_t()> body;
};

struct Stats {
    double medianNs = 0;
    double minNs = 0;
    double maxNs = 0;
    double madNs = 0;        // median absolute deviation of the samples
    uint64_t runsPerSample = 0;
    int samples = 0;
};

class Harness {
public:
    Harness(std::string suite, int argc, char** argv);

    // Times the baseline and each candidate over the same input of `bytesPerRun` bytes.
    void Compare(const std::string& group, size_t bytesPerRun, const Case& baseline,
                 const std::vector<Case>& candidates);

    int Finish();

    // Whether --filter lets a group of this name run (for measurements made
    // outside Compare).
    bool Selected(const std::string& group) const { return m_filter.empty() || group.find(m_filter) != std::string::npos; }

private:
    struct Result {
        std::string group;
        std::string name;
        bool isBaseline;
        size_t bytes;
        Stats stats;
        double speedup;  // baseline median / this median
    };

    uint64_t Calibrate(const Case& c);
    double Sample(const Case& c, uint64_t runs);  // ns per run
    void PrintTable() const;
    bool WriteJson() const;

    std::string m_suite;
    std::string m_jsonPath;
    std::string m_filter;
    int m_samples = 15;
    int m_warmup = 3;
    double m_sampleMs = 20;
    bool m_failed = false;
    double m_ticksPerNs = 0;
    std::vector<Result> m_results;
};

}  // namespace Bench
