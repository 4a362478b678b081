// The batch list's operating-system reads.
#include "batch/window/batch_list_file.h"

#include "batch/pipeline/print_command_lookup.h"

#include <windows.h>

namespace folimar {

std::string UserDecimalSeparator()
{
    char separator[8] = {};
    if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof(separator)) <= 1)
        return ".";
    return separator;
}

TFileFacts ReadFileFacts(const std::string& path)
{
    TFileFacts facts;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return facts;
    facts.readable = true;
    facts.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return facts;
}

bool PathTaken(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<TBatchEntry> ExamineFile(const std::string& path, const std::string& outputFolder, bool overwrite,
                                       const PathTakenFn& plannedByOtherRow, TRefusal* refusal)
{
    TBatchListContext context;
    context.outputFolder = outputFolder;
    context.overwrite = overwrite;
    context.decimalSeparator = UserDecimalSeparator();
    context.lookup = LookupPrintCommand;
    context.imageCommand = GetImagePrintCommand;
    context.onDisk = PathTaken;
    context.plannedByOtherRow =
        plannedByOtherRow ? plannedByOtherRow : PathTakenFn([](const std::string&) { return false; });
    return PlanBatchEntry(path, ReadFileFacts(path), context, refusal);
}

} // namespace folimar
