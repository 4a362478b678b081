// A temporary folder for one test, and whole-file helpers for tests on real files.
#pragma once

#include "win/handle.h"
#include "win/temp_folder.h"

#include <string>
#include <string_view>

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
