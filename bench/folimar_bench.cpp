// Benchmark driver: times the job preparation steps on real job files from inside the process, so Wine's
// start-up is not counted.
//   folimar_bench strip JOB        one StripFontsAndCountPages call; prints "<seconds> <page count>"
//   folimar_bench dsc CALLS JOB... ReadDscHeader CALLS times per job in each of 9 rounds; prints the
//                                  median microseconds per call of each job, one a line
#include "jobprep/dsc_header.h"
#include "jobprep/strip_fonts.h"

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

} // namespace

int main(int argc, char** argv)
{
    try {
        std::string mode = argc > 1 ? argv[1] : "";
        if (mode == "strip" && argc == 3)
            return Strip(argv[2]);
        if (mode == "dsc" && argc >= 4)
            return Dsc(std::max(1, std::atoi(argv[2])), std::vector<std::string>(argv + 3, argv + argc));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "folimar_bench: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: folimar_bench strip JOB | folimar_bench dsc CALLS JOB...\n");
    return 2;
}
