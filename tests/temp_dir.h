// A temporary folder for one test, and whole-file helpers for tests on real files.
#pragma once

#include "win/handle.h"
#include "win/temp_folder.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

using TempDir = win::TempFolder;

// Whole-file helpers for tests that work on real files.
inline bool WriteFileBytes(const std::string& path, std::string_view bytes)
{
    win::UniqueHandle h(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return h && ::WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// The names of the files (not folders) in folder (with or without a trailing backslash), sorted.
inline std::vector<std::string> FileNamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const bool slash = !folder.empty() && folder.back() == '\\';
    win::FindHandle find(::FindFirstFileA((folder + (slash ? "*" : "\\*")).c_str(), &found));
    if (find) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (::FindNextFileA(find.get(), &found));
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string ReadFileBytes(const std::string& path)
{
    win::UniqueHandle h(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string data;
    char buf[65536];
    DWORD n = 0;
    while (h && ::ReadFile(h.get(), buf, sizeof buf, &n, nullptr) && n > 0)
        data.append(buf, n);
    return data;
}

} // namespace testing_support
