#include "bench/harness/BenchHarness.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Bench {

namespace {

volatile size_t g_sink;  // keeps every body's result alive

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string DefaultJsonPath()
{
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "bench.json";
    std::string result(path, length);
    const size_t dot = result.find_last_of('.');
    if (dot != std::string::npos && result.find_first_of("\\/", dot) == std::string::npos) result.erase(dot);
    return result + ".json";
}

std::string PlatformName()
{
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    using WineVersion = const char* (*)();
    auto wineVersion = reinterpret_cast<WineVersion>(
        reinterpret_cast<void*>(ntdll ? ::GetProcAddress(ntdll, "wine_get_version") : nullptr));
    return wineVersion ? std::string("Wine ") + wineVersion() : "Windows";
}

}  // namespace

Harness::Harness(std::string suite, int argc, char** argv) : m_suite(std::move(suite))
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    m_ticksPerNs = static_cast<double>(frequency.QuadPart) / 1e9;
    m_jsonPath = DefaultJsonPath();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--json" && hasValue) {
            m_jsonPath = argv[++i];
        } else if (arg == "--samples" && hasValue) {
            m_samples = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--warmup" && hasValue) {
            m_warmup = std::max(0, std::atoi(argv[++i]));
        } else if (arg == "--sample-ms" && hasValue) {
            m_sampleMs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--filter" && hasValue) {
            m_filter = argv[++i];
        } else {
            std::fprintf(stderr,
                         "%s: unknown or incomplete argument '%s'\n"
                         "usage: %s [--json PATH] [--samples N] [--warmup N] [--sample-ms N] [--filter TEXT]\n",
                         m_suite.c_str(), arg.c_str(), m_suite.c_str());
            m_failed = true;
        }
    }
}

double Harness::Sample(const Case& c, uint64_t runs)
{
    LARGE_INTEGER start, end;
    size_t sink = 0;
    ::QueryPerformanceCounter(&start);
    for (uint64_t i = 0; i < runs; ++i) sink += c.body();
    ::QueryPerformanceCounter(&end);
    g_sink = g_sink + sink;
    return static_cast<double>(end.QuadPart - start.QuadPart) / m_ticksPerNs / static_cast<double>(runs);
}

uint64_t Harness::Calibrate(const Case& c)
{
    // Double the runs until a sample lasts a tenth of the target, then scale up.
    const double targetNs = m_sampleMs * 1e6;
    uint64_t runs = 1;
    for (;;) {
        const double perRun = Sample(c, runs);
        const double elapsed = perRun * static_cast<double>(runs);
        if (elapsed >= targetNs / 10 || runs >= (uint64_t(1) << 40))
            return std::max<uint64_t>(1, static_cast<uint64_t>(std::ceil(targetNs / std::max(perRun, 1e-3))));
        runs *= 2;
    }
}

void Harness::Compare(const std::string& group, size_t bytesPerRun, const Case& baseline,
                      const std::vector<Case>& candidates)
{
    if (m_failed || (!m_filter.empty() && group.find(m_filter) == std::string::npos)) return;
    std::vector<const Case*> cases{&baseline};
    for (const Case& c : candidates) cases.push_back(&c);

    std::vector<uint64_t> runs;
    for (const Case* c : cases) runs.push_back(Calibrate(*c));
    for (int w = 0; w < m_warmup; ++w) {
        for (size_t k = 0; k < cases.size(); ++k) Sample(*cases[k], runs[k]);
    }
    std::vector<std::vector<double>> samples(cases.size());
    for (int s = 0; s < m_samples; ++s) {
        for (size_t k = 0; k < cases.size(); ++k) samples[k].push_back(Sample(*cases[k], runs[k]));
    }

    double baselineMedian = 0;
    for (size_t k = 0; k < cases.size(); ++k) {
        Stats stats;
        stats.medianNs = Median(samples[k]);
        stats.minNs = *std::min_element(samples[k].begin(), samples[k].end());
        stats.maxNs = *std::max_element(samples[k].begin(), samples[k].end());
        std::vector<double> deviations;
        for (double v : samples[k]) deviations.push_back(std::fabs(v - stats.medianNs));
        stats.madNs = Median(deviations);
        stats.runsPerSample = runs[k];
        stats.samples = m_samples;
        if (k == 0) baselineMedian = stats.medianNs;
        m_results.push_back({group, cases[k]->name, k == 0, bytesPerRun, stats,
                             stats.medianNs > 0 ? baselineMedian / stats.medianNs : 0});
    }
}

void Harness::PrintTable() const
{
    std::printf("%s on %s: %d samples of about %.0f ms each, %d warm-up\n\n", m_suite.c_str(),
                PlatformName().c_str(), m_samples, m_sampleMs, m_warmup);
    std::printf("%-26s %-34s %11s %11s %11s %6s %9s %9s\n", "group", "case", "median us", "min us", "max us",
                "MAD %", "MB/s", "speed-up");
    std::string lastGroup;
    for (const Result& r : m_results) {
        const Stats& s = r.stats;
        const double mbPerSecond = s.medianNs > 0 ? static_cast<double>(r.bytes) / s.medianNs * 1e3 : 0;
        char speedup[32];
        if (r.isBaseline)
            std::snprintf(speedup, sizeof speedup, "baseline");
        else
            std::snprintf(speedup, sizeof speedup, "%.2fx", r.speedup);
        std::printf("%-26s %-34s %11.1f %11.1f %11.1f %6.1f %9.0f %9s\n",
                    r.group == lastGroup ? "" : r.group.c_str(), r.name.c_str(), s.medianNs / 1e3, s.minNs / 1e3,
                    s.maxNs / 1e3, s.medianNs > 0 ? 100 * s.madNs / s.medianNs : 0, mbPerSecond, speedup);
        lastGroup = r.group;
    }
}

bool Harness::WriteJson() const
{
    FILE* file = std::fopen(m_jsonPath.c_str(), "w");
    if (!file) {
        std::fprintf(stderr, "%s: cannot write %s\n", m_suite.c_str(), m_jsonPath.c_str());
        return false;
    }
    std::fprintf(file, "{\n  \"suite\": %s,\n  \"platform\": %s,\n  \"samples\": %d,\n  \"warmup\": %d,\n",
                 JsonString(m_suite).c_str(), JsonString(PlatformName()).c_str(), m_samples, m_warmup);
    std::fprintf(file, "  \"results\": [");
    for (size_t i = 0; i < m_results.size(); ++i) {
        const Result& r = m_results[i];
        const Stats& s = r.stats;
        std::fprintf(file,
                     "%s\n    {\"group\": %s, \"case\": %s, \"baseline\": %s, \"bytes\": %zu, "
                     "\"median_ns\": %.1f, \"min_ns\": %.1f, \"max_ns\": %.1f, \"mad_ns\": %.1f, "
                     "\"runs_per_sample\": %llu, \"mb_per_s\": %.1f, \"speedup_vs_baseline\": %.4f}",
                     i ? "," : "", JsonString(r.group).c_str(), JsonString(r.name).c_str(),
                     r.isBaseline ? "true" : "false", r.bytes, s.medianNs, s.minNs, s.maxNs, s.madNs,
                     static_cast<unsigned long long>(s.runsPerSample),
                     s.medianNs > 0 ? static_cast<double>(r.bytes) / s.medianNs * 1e3 : 0, r.speedup);
    }
    std::fprintf(file, "\n  ]\n}\n");
    const bool ok = std::fclose(file) == 0;
    if (ok) std::printf("\nResults written to %s\n", m_jsonPath.c_str());
    return ok;
}

int Harness::Finish()
{
    if (m_failed) return 2;
    PrintTable();
    return WriteJson() ? 0 : 1;
}

}  // namespace Bench
