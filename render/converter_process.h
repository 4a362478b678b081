// Renders jobs in a converter process of their own: the console converter in its hidden mode,
// started when the first job comes and kept for the next ones. The library never polls, so a render
// that must stop (a Stop, the end of the batch, output that eats the disk) is ended with its
// process; the process runs in a job object, so it also ends with the program that started it. It
// gets a temporary folder of its own for Ghostscript's scratch files, which goes with it.
#pragma once

#include "render/pdf_conversion.h"
#include "win/handle.h"
#include "win/temp_folder.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace folimar {

// How much free space a render must leave on each disk it writes to (the PDF's and the one of its
// scratch files): a share of what was free as it began, at most a fixed amount. A PDF that fits in
// the rest is made; output that keeps growing is ended, "disk full", before the disk is.
struct TDiskMargin {
    uint64_t most = uint64_t{64} << 20;
    unsigned share = 16; // the margin is 1/share of the space free at the start
};

// The free space below which a render is ended on a disk that had freeAtStart free as it began.
uint64_t DiskMarginFor(const TDiskMargin& margin, uint64_t freeAtStart);

// How often the free space is looked at while a render runs.
inline constexpr DWORD kDiskCheckMs = 250;

// The console converter beside this program: "folimarc.exe", or "folimarc.exe.so" where a Winelib build put one.
std::string ConverterBesideProgram();

struct TConverterSetup {
    std::string program;   // the console converter
    HANDLE stop = nullptr; // manual reset: once set, a running render is ended
    TDiskMargin diskMargin{};
    TPageSink* progress = nullptr; // gets the pages the render reaches, when given
};

class TConverterProcess : public TRenderer {
public:
    explicit TConverterProcess(TConverterSetup setup) : setup_(std::move(setup)) {}
    TConverterProcess(const TConverterProcess&) = delete;
    TConverterProcess& operator=(const TConverterProcess&) = delete;
    ~TConverterProcess() override { End(); }

    // Starts the process when none runs. Failed (StartError tells why) when it cannot start.
    TRenderEnd Render(const std::string& psFile, const std::string& pdfFile, int& pages, TRenderFault& fault) override;

    // Ends the process, when one runs, and waits for it: its files are closed afterwards.
    void End();

    // Why the last start failed; ERROR_SUCCESS after a start that worked.
    DWORD StartError() const { return startError_; }

private:
    bool Start();
    bool Send(const std::string& line);
    enum class TWait { Reply, Stopped, DiskFull, Lost };
    TWait WaitForReply(const std::string& pdfFolder, std::string& line);
    // A disk a render writes to, and the free space it must leave there.
    struct TWatchedDisk {
        std::string folder;
        uint64_t margin = 0;
    };
    std::vector<TWatchedDisk> WatchDisks(const std::string& pdfFolder) const;

    TConverterSetup setup_;
    // The process's TEMP; removed, scratch files and all, once the process has ended.
    std::unique_ptr<win::TempFolder> temp_;
    win::UniqueHandle job_;
    win::UniqueHandle process_;
    win::UniqueHandle pipe_; // this side of the process's standard input and output, overlapped
    win::UniqueHandle readDone_;
    // The pending read and its buffer, in pages of their own (see win::VirtualMemory).
    struct TReadArea {
        OVERLAPPED overlapped;
        char chunk[512];
    };
    win::VirtualMemory readMemory_;
    TReadArea* read_ = nullptr;
    bool reading_ = false;
    std::string received_;
    DWORD startError_ = ERROR_SUCCESS;
};

} // namespace folimar
