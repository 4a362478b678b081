// Small files of the program's own.
#include "files/small_file.h"

#include "base/printer_constants.h"
#include "files/folders.h"
#include "win/handle.h"

namespace folimar {

bool ReadSmallFile(HANDLE file, size_t maxBytes, std::string& text)
{
    char buffer[4096];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr))
            return false;
        if (got == 0)
            return true;
        text.append(buffer, got);
        if (text.size() > maxBytes)
            return false;
    }
}

bool WriteTextFile(const std::string& path, std::string_view text)
{
    win::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

bool ReplaceTextFile(const std::string& path, std::string_view text)
{
    // A name no reader of path looks for, and one the spool folder's clearing takes too.
    const std::string temp = path + ".new";
    if (!WriteTextFile(temp, text) || !::MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileA(temp.c_str());
        ::SetLastError(error);
        return false;
    }
    return true;
}

bool WriteDestFile(const std::string& folder, std::string_view text)
{
    if (!DirectoryExists(folder))
        CreateFolderPath(folder);
    return WriteTextFile(folder + kDestNoteFileName, text);
}

} // namespace folimar
