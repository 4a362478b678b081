// The port monitor's host test fixture: a throwaway AppData, a recorder in the place of
// folimar.exe, the program's path recorded, and the monitor DLL loaded by the spooler's stand-in.
#pragma once

#include "tests/gtest_win.h"

#include "monitor/monitor_names.h"
#include "monitor/tests/spooler_stand_in.h"
#include "tests/temp_dir.h"
#include "win/handle.h"

#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <thread>
#include <vector>

namespace monitor_test {

using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

inline constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

inline std::string ModuleFolder()
{
    char path[MAX_PATH] = {};
    std::string self(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
    return self.substr(0, self.find_last_of('\\') + 1);
}

inline void SetString(HKEY root, const char* key, const char* name, const std::string& value)
{
    win::RegKey k;
    ASSERT_EQ(::RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.put(), nullptr), ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExA(k.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>(value.size() + 1)),
              ERROR_SUCCESS);
}

// The names of the files in a folder; none when it does not exist.
inline constexpr auto* FilesIn = &testing_support::FileNamesIn;

// The eight quoted arguments of a command line as the port writes it; empty when it is not so.
inline std::vector<std::string> QuotedArguments(const std::string& line)
{
    std::vector<std::string> args;
    size_t at = 0;
    while (at < line.size()) {
        if (line[at] != '"')
            return {};
        const size_t close = line.find('"', at + 1);
        if (close == std::string::npos)
            return {};
        args.push_back(line.substr(at + 1, close - at - 1));
        at = close + 1;
        if (at < line.size() && line[at++] != ' ')
            return {};
    }
    return args;
}

inline int ProcessesNamed(const wchar_t* name)
{
    win::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry))
        count += ::lstrcmpiW(entry.szExeFile, name) == 0;
    return count;
}

// A PostScript job of about size bytes: a DSC header, then lines that differ.
inline std::string Job(size_t size, const std::string& title = "From the header")
{
    std::string job = "%!PS-Adobe-3.0\n%%Title: " + title + "\n%%EndComments\n";
    for (int line = 0; job.size() < size; ++line)
        job += "% line " + std::to_string(line) + " \x01\xff\n";
    return job;
}

// Removes a folder and everything in it.
inline void RemoveTree(const std::string& folder)
{
    std::string from = folder;
    if (!from.empty() && from.back() == '\\')
        from.pop_back();
    from.push_back('\0'); // the list of names ends in an empty one
    SHFILEOPSTRUCTA operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    ::SHFileOperationA(&operation);
}

// %ProgramData%\Quorvel Folimar\ as the monitor finds it.
inline std::string SharedFolder()
{
    char common[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common);
    return std::string(common) + "\\Quorvel Folimar\\";
}

class MonitorHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.valid());
        RemoveTree(SharedFolder()); // the pending jobs and the log of an earlier test
        ::SetEnvironmentVariableA("QV_WTS_RECORD", (dir_ / "wts.txt").c_str());
        ::SetEnvironmentVariableA("QV_WTS_NO_SESSIONS", nullptr);
        appData_ = dir_ / "appdata\\";
        bin_ = dir_ / "bin\\";
        ASSERT_TRUE(::CreateDirectoryA(appData_.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryA(bin_.c_str(), nullptr));
        ASSERT_TRUE(
            ::CopyFileA((ModuleFolder() + "command_recorder.exe").c_str(), (bin_ + "folimar.exe").c_str(), FALSE));
        SetString(HKEY_CURRENT_USER, kShellFolders, "AppData", appData_);
        SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvel Folimar", "Program", bin_ + "folimar.exe");
        spooler_ = std::make_unique<SpoolerStandIn>(monitor_test::ToWideAscii(ModuleFolder() + "quorvelmon.dll"));
        ASSERT_NE(spooler_->table(), nullptr) << "the monitor DLL did not load or initialise";
    }

    std::string JobsFolder() const { return appData_ + "QUORPSFILES\\JOBS\\"; }
    std::string SpoolFolder() const { return appData_ + "QUORPSFILES\\TEMP\\"; }
    std::string RecordedFolder() const { return bin_ + "recorded\\"; }

    // The notes a batch keeps in its spool folder while a row prints.
    void PlantBatchNotes(const std::string& rowNote)
    {
        ASSERT_TRUE(::CreateDirectoryA((appData_ + "QUORPSFILES").c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryA(SpoolFolder().c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(SpoolFolder() + "~dest.tmp", "C:\\out\\letter.pdf"));
        ASSERT_TRUE(WriteFileBytes(SpoolFolder() + "~row.tmp", rowNote));
    }

    // The command lines the recorder has written, waiting up to 30 s for count of them.
    std::vector<std::string> Recorded(size_t count) const
    {
        std::vector<std::string> lines;
        for (int i = 0; i < 300; ++i, ::Sleep(100)) {
            lines.clear();
            for (const std::string& name : FilesIn(RecordedFolder()))
                if (name.size() > 4 && name.substr(name.size() - 4) == ".txt")
                    lines.push_back(ReadFileBytes(RecordedFolder() + name));
            if (lines.size() >= count)
                break;
        }
        return lines;
    }

    TempDir dir_;
    std::string appData_;
    std::string bin_;
    std::unique_ptr<SpoolerStandIn> spooler_;
};

} // namespace monitor_test
