// A uniquely named temporary folder for one test, removed with everything in it.
#pragma once

#include "win/handle.h"

#include <string>
#include <string_view>

namespace testing_support {

class TempDir {
public:
    TempDir()
    {
        char base[MAX_PATH + 1] = {};
        ::GetTempPathA(MAX_PATH, base);
        char name[MAX_PATH + 1] = {};
        ::GetTempFileNameA(base, "fol", 0, name); // reserves a unique name as a file
        ::DeleteFileA(name);
        ::CreateDirectoryA(name, nullptr);
        path_ = std::string(name) + "\\";
    }
    ~TempDir() { RemoveTree(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, ending in a backslash.
    const std::string& path() const { return path_; }
    std::string operator/(std::string_view name) const { return path_ + std::string(name); }

private:
    static void RemoveTree(const std::string& folder)
    {
        WIN32_FIND_DATAA fd;
        win::FindHandle find(::FindFirstFileA((folder + "*").c_str(), &fd));
        if (find) {
            do {
                std::string name = fd.cFileName;
                if (name == "." || name == "..")
                    continue;
                std::string full = folder + name;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(full + "\\");
                } else {
                    ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                    ::DeleteFileA(full.c_str());
                }
            } while (::FindNextFileA(find.get(), &fd));
        }
        ::SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::RemoveDirectoryA(folder.c_str());
    }

    std::string path_;
};

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
