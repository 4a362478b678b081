// Benchmark driver: times the job preparation steps on real job files from inside the process, so Wine's
// start-up is not counted.
//   folimar_bench strip JOB        one StripFontsAndCountPages call; prints "<seconds> <page count>"
//   folimar_bench prepare JOB COPY the console converter's job preparation (one CopyWithoutFontsAndCountPages
//                                  call); prints "<seconds> <CPU seconds> <page count> <copied 0|1>"
//   folimar_bench docinfo JOB      the document information prologue made from the job's header (median of 101
//                                  calls); prints "<microseconds> <bytes>"
//   folimar_bench dsc CALLS JOB... ReadDscHeader CALLS times per job in each of 9 rounds; prints the
//                                  median microseconds per call of each job, one a line
//   folimar_bench render RUNS JOB PDF CONVERTER
//                                  renders JOB into PDF RUNS times in this process (as a batch did) and RUNS
//                                  times in one converter process (as a batch does now); prints "<in-process
//                                  median s> <converter's first render s> <converter median s of the rest>"
#include "jobprep/doc_info.h"
#include "jobprep/dsc_header.h"
#include "jobprep/gmttime.h"
#include "jobprep/strip_fonts.h"
#include "render/converter_process.h"
#include "render/gsapi.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

namespace {

double Seconds()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// User and kernel time of this process so far.
double CpuSeconds()
{
    FILETIME created, ended, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &ended, &kernel, &user))
        return 0;
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

int Prepare(const std::string& job, const std::string& copy)
{
    int32_t pages = -1;
    double start = Seconds();
    double cpu = CpuSeconds();
    bool copied = folimar::CopyWithoutFontsAndCountPages(job, copy, pages);
    std::printf("%.6f %.6f %d %d\n", Seconds() - start, CpuSeconds() - cpu, pages, copied ? 1 : 0);
    return 0;
}

int DocInfo(const std::string& job)
{
    constexpr int kCalls = 101;
    std::vector<double> times;
    std::string prologue;
    for (int i = 0; i < kCalls; ++i) {
        double start = Seconds();
        folimar::TPDFDocInfo info;
        folimar::DocInfoFromHeader(job, info);
        prologue = folimar::BuildDocInfoFragment(info, folimar::TGMTTime().UtcOffset(), folimar::UnicodeHexString);
        times.push_back(Seconds() - start);
    }
    std::sort(times.begin(), times.end());
    std::printf("%.3f %zu\n", times[kCalls / 2] * 1e6, prologue.size());
    return 0;
}

int Strip(const std::string& job)
{
    int32_t pages = -1;
    double start = Seconds();
    folimar::StripFontsAndCountPages(job, pages);
    std::printf("%.6f %d\n", Seconds() - start, pages);
    return 0;
}

// Rounds alternate between the jobs, so that a busy moment of the machine falls on all of them alike.
int Dsc(int calls, const std::vector<std::string>& jobs)
{
    constexpr int kRounds = 9;
    std::vector<std::vector<double>> perCall(jobs.size());
    for (int round = 0; round < kRounds; ++round) {
        for (size_t j = 0; j < jobs.size(); ++j) {
            folimar::TPSHeaderInfo info;
            double start = Seconds();
            for (int i = 0; i < calls; ++i) {
                if (!folimar::ReadDscHeader(jobs[j], info))
                    return std::fprintf(stderr, "folimar_bench: no header read from %s\n", jobs[j].c_str()), 1;
            }
            perCall[j].push_back((Seconds() - start) / calls * 1e6);
        }
    }
    for (std::vector<double>& times : perCall) {
        std::sort(times.begin(), times.end());
        std::printf("%.3f\n", times[kRounds / 2]);
    }
    return 0;
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times.empty() ? 0 : times[times.size() / 2];
}

int Render(int runs, const std::string& job, const std::string& pdf, const std::string& converter)
{
    std::vector<double> inProcess, inConverter;
    for (int i = 0; i < runs; ++i) {
        const double start = Seconds();
        if (!folimar::ConvertPsToPdf(job, pdf))
            return 1;
        inProcess.push_back(Seconds() - start);
    }
    folimar::TConverterProcess process({converter});
    for (int i = 0; i <= runs; ++i) {
        const double start = Seconds();
        int pages = 0;
        folimar::TRenderFault fault;
        if (process.Render(job, pdf, pages, fault) != folimar::TRenderEnd::Rendered)
            return 1;
        inConverter.push_back(Seconds() - start);
    }
    const double first = inConverter.front();
    inConverter.erase(inConverter.begin());
    std::printf("%.4f %.4f %.4f\n", Median(inProcess), first, Median(inConverter));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        std::string mode = argc > 1 ? argv[1] : "";
        if (mode == "strip" && argc == 3)
            return Strip(argv[2]);
        if (mode == "prepare" && argc == 4)
            return Prepare(argv[2], argv[3]);
        if (mode == "docinfo" && argc == 3)
            return DocInfo(argv[2]);
        if (mode == "dsc" && argc >= 4)
            return Dsc(std::max(1, std::atoi(argv[2])), std::vector<std::string>(argv + 3, argv + argc));
        if (mode == "render" && argc == 6)
            return Render(std::max(1, std::atoi(argv[2])), argv[3], argv[4], argv[5]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "folimar_bench: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: folimar_bench strip JOB | prepare JOB COPY | docinfo JOB | dsc CALLS JOB... | "
                         "render RUNS JOB PDF CONVERTER\n");
    return 2;
}
