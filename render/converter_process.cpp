// The converter process: started in a job object, fed over a pipe, ended when a render must stop.
#include "render/converter_process.h"

#include "files/folders.h"
#include "files/text_rules.h"
#include "render/converter_protocol.h"
#include "win/environment.h"
#include "win/error_text.h"
#include "win/program_path.h"
#include "win/run_files.h"

#include <vector>

namespace folimar {

namespace {

// An ended process lets go of its files at once; the bound only keeps a wedged system from
// holding the batch.
constexpr DWORD kEndWaitMs = 5000;
// A request line always fits the pipe's buffer, so its write completes at once.
constexpr DWORD kPipeBufferBytes = 65536;
constexpr DWORD kSendWaitMs = 5000;

// A job object that ends its processes when its last handle closes: with this program's end,
// however that comes.
win::UniqueHandle MakeKillOnCloseJob()
{
    win::UniqueHandle job(::CreateJobObjectA(nullptr, nullptr));
    if (!job)
        return job;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
        job.reset();
    return job;
}

std::optional<uint64_t> FreeSpace(const std::string& folder)
{
    ULARGE_INTEGER free{};
    if (!::GetDiskFreeSpaceExA(folder.c_str(), &free, nullptr, nullptr))
        return std::nullopt;
    return free.QuadPart;
}

// The environment of a converter whose temporary folder is folder (ending in a backslash).
std::string ConverterEnvironment(const std::string& folder)
{
    const std::string windowsPath = folder.substr(0, folder.size() - 1);
    return win::CurrentEnvironmentWith({{"TEMP", windowsPath}, {"TMP", windowsPath}});
}

} // namespace

uint64_t DiskMarginFor(const TDiskMargin& margin, uint64_t freeAtStart)
{
    const uint64_t share = freeAtStart / (margin.share == 0 ? 1 : margin.share);
    return share < margin.most ? share : margin.most;
}

std::string ConverterBesideProgram()
{
    // In a Winelib build the .exe is a launcher script, which CreateProcess cannot hand our
    // standard handles to either.
    return win::StartableProgram(std::string(FolderPart(win::ProgramPath())) + "folimarc.exe");
}

bool TConverterProcess::Start()
{
    // The scratch files of converters that were killed with their program go first.
    win::RemoveDeadRunFolders();
    auto temp = std::make_unique<win::TempFolder>();
    if (!temp->valid()) {
        startError_ = win::LastErrorOr();
        return false;
    }
    std::string environment = ConverterEnvironment(temp->path());
    const std::string name =
        "\\\\.\\pipe\\" + win::RunFileName("folimar-render-", win::CurrentRun(), win::NextRunFileSerial(), "");
    win::UniqueHandle pipe(::CreateNamedPipeA(
        name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, kPipeBufferBytes, kPipeBufferBytes, 0, nullptr));
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    win::UniqueHandle childEnd(
        pipe ? ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &inherit, OPEN_EXISTING, 0, nullptr)
             : nullptr);
    win::UniqueHandle readDone(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!readMemory_)
        readMemory_.reset(::VirtualAlloc(nullptr, sizeof(TReadArea), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!pipe || !childEnd || !readDone || !readMemory_) {
        startError_ = win::LastErrorOr();
        return false;
    }
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = childEnd.get();
    si.hStdOutput = childEnd.get();
    si.hStdError = nullptr;
    std::string commandLine = "\"" + setup_.program + "\" " + kRenderJobsArgument;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(setup_.program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                          CREATE_SUSPENDED | CREATE_NO_WINDOW, environment.data(), nullptr, &si, &pi)) {
        startError_ = win::LastErrorOr();
        return false;
    }
    win::UniqueHandle process(pi.hProcess);
    win::UniqueHandle thread(pi.hThread);
    // Without a job object the process still ends with every stop, but no longer with a killed program.
    win::UniqueHandle job = MakeKillOnCloseJob();
    if (job && !::AssignProcessToJobObject(job.get(), process.get()))
        job.reset();
    ::ResumeThread(thread.get());
    temp_ = std::move(temp);
    job_ = std::move(job);
    process_ = std::move(process);
    pipe_ = std::move(pipe);
    readDone_ = std::move(readDone);
    read_ = static_cast<TReadArea*>(readMemory_.get());
    received_.clear();
    startError_ = ERROR_SUCCESS;
    return true;
}

void TConverterProcess::End()
{
    if (!process_)
        return;
    if (!job_ || !::TerminateJobObject(job_.get(), 1))
        ::TerminateProcess(process_.get(), 1);
    ::WaitForSingleObject(process_.get(), kEndWaitMs);
    if (reading_) {
        // The read must be over before its buffer and event go.
        ::CancelIo(pipe_.get());
        DWORD ignored = 0;
        ::GetOverlappedResult(pipe_.get(), &read_->overlapped, &ignored, TRUE);
        reading_ = false;
    }
    pipe_.reset();
    readDone_.reset();
    process_.reset();
    job_.reset();
    received_.clear();
    // Ghostscript's scratch files of an ended render are left to whoever ends it.
    temp_.reset();
}

bool TConverterProcess::Send(const std::string& line)
{
    win::UniqueHandle done(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!done)
        return false;
    OVERLAPPED write{};
    write.hEvent = done.get();
    DWORD written = 0;
    if (!::WriteFile(pipe_.get(), line.data(), static_cast<DWORD>(line.size()), nullptr, &write) &&
        ::GetLastError() != ERROR_IO_PENDING)
        return false;
    if (::WaitForSingleObject(done.get(), kSendWaitMs) != WAIT_OBJECT_0) {
        ::CancelIo(pipe_.get());
        ::GetOverlappedResult(pipe_.get(), &write, &written, TRUE);
        return false;
    }
    return ::GetOverlappedResult(pipe_.get(), &write, &written, FALSE) && written == line.size();
}

std::vector<TConverterProcess::TWatchedDisk> TConverterProcess::WatchDisks(const std::string& pdfFolder) const
{
    std::vector<TWatchedDisk> disks;
    for (const std::string& folder : {pdfFolder, temp_ ? temp_->path() : std::string()}) {
        // A disk whose free space cannot be read is left to the render's own write errors.
        if (const std::optional<uint64_t> free = folder.empty() ? std::nullopt : FreeSpace(folder))
            disks.push_back({folder, DiskMarginFor(setup_.diskMargin, *free)});
    }
    return disks;
}

TConverterProcess::TWait TConverterProcess::WaitForReply(const std::string& pdfFolder, std::string& line)
{
    const std::vector<TWatchedDisk> disks = WatchDisks(pdfFolder);
    for (;;) {
        if (std::optional<std::string> whole = TakeLine(received_)) {
            if (const std::optional<int> page = ParsePageLine(*whole)) {
                if (setup_.progress)
                    setup_.progress->Report(*page);
                continue;
            }
            line = std::move(*whole);
            return TWait::Reply;
        }
        if (!reading_) {
            read_->overlapped = OVERLAPPED{};
            read_->overlapped.hEvent = readDone_.get();
            if (!::ReadFile(pipe_.get(), read_->chunk, sizeof read_->chunk, nullptr, &read_->overlapped) &&
                ::GetLastError() != ERROR_IO_PENDING)
                return TWait::Lost;
            reading_ = true;
        }
        std::vector<HANDLE> waits{readDone_.get(), process_.get()};
        if (setup_.stop)
            waits.insert(waits.begin(), setup_.stop);
        const DWORD woke =
            ::WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), FALSE, kDiskCheckMs);
        if (woke == WAIT_TIMEOUT) {
            for (const TWatchedDisk& disk : disks)
                if (FreeSpace(disk.folder).value_or(UINT64_MAX) < disk.margin)
                    return TWait::DiskFull;
            continue;
        }
        if (woke >= WAIT_OBJECT_0 + waits.size())
            return TWait::Lost;
        const HANDLE which = waits[woke - WAIT_OBJECT_0];
        if (which == setup_.stop)
            return TWait::Stopped;
        if (which == process_.get())
            return TWait::Lost; // a reply it wrote before it ended was read before it
        DWORD got = 0;
        reading_ = false;
        if (!::GetOverlappedResult(pipe_.get(), &read_->overlapped, &got, FALSE) || got == 0)
            return TWait::Lost;
        received_.append(read_->chunk, got);
    }
}

TRenderEnd TConverterProcess::Render(const std::string& psFile, const std::string& pdfFile, int& pages,
                                     TRenderFault& fault)
{
    pages = 0;
    fault = {};
    const std::string request = RenderRequestLine({psFile, pdfFile});
    if (request.empty())
        return TRenderEnd::Failed;
    if (!process_ && !Start())
        return TRenderEnd::Failed;
    if (!Send(request)) {
        End();
        return TRenderEnd::Failed;
    }
    std::string line;
    const TWait end = WaitForReply(std::string(FolderPart(pdfFile)), line);
    if (end != TWait::Reply) {
        // The render cannot be stopped any other way; the next job gets a new process.
        End();
        return end == TWait::Stopped    ? TRenderEnd::Stopped
               : end == TWait::DiskFull ? TRenderEnd::DiskFull
                                        : TRenderEnd::Failed;
    }
    const std::optional<TRenderReply> reply = ParseRenderReply(line);
    if (!reply) {
        End();
        return TRenderEnd::Failed;
    }
    pages = reply->pages;
    fault = reply->fault;
    return reply->rendered ? TRenderEnd::Rendered : TRenderEnd::Failed;
}

} // namespace folimar
