// The print program's note in the data folder.
#include "batch/pipeline/print_program_record.h"

#include "base/printer_constants.h"
#include "batch/pipeline/batch_run.h"
#include "batch/rules/print_program_note.h"
#include "files/folders.h"
#include "files/small_file.h"

namespace folimar {

namespace {

constexpr size_t kMaxNoteBytes = 64;

uint64_t TimeOf(const FILETIME& time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FileTimeOf(uint64_t time)
{
    return {static_cast<DWORD>(time & 0xFFFFFFFFu), static_cast<DWORD>(time >> 32)};
}

} // namespace

TPrintProgramRecord::TPrintProgramRecord(std::string notePath, const TPrintProcess& process)
{
    if (notePath.empty() || !process.process)
        return;
    if (WriteTextFile(notePath, FormatPrintProgramNote({process.processId, TimeOf(process.created)})))
        FNotePath = std::move(notePath);
}

TPrintProgramRecord::~TPrintProgramRecord()
{
    if (!FNotePath.empty())
        ::DeleteFileA(FNotePath.c_str());
}

void EndPrintProgramAfterLostBatch(const std::string& notePath)
{
    if (!FileExists(notePath))
        return;
    bool running = false;
    DWORD error = 0;
    // Held until the note is gone: no batch starts meanwhile and writes one of its own.
    const win::UniqueHandle mutex = CreateBatchMutex(kBatchMutexName, running, error);
    if (running)
        return;
    win::UniqueHandle file(
        ::CreateFileA(notePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string text;
    if (file && ReadSmallFile(file.get(), kMaxNoteBytes, text)) {
        if (const std::optional<TPrintProgramNote> note = ParsePrintProgramNote(text))
            EndProcessIfSame(note->processId, FileTimeOf(note->created));
    }
    file.reset();
    ::DeleteFileA(notePath.c_str());
}

} // namespace folimar
