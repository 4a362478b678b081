// File, folder and registry utilities on real files and the test prefix's registry; the user's
// folders and the code pages of job texts and file names.
#include "tests/gtest_win.h"

#include "files/code_pages.h"
#include "tests/code_pages_fixture.h"
#include "files/folders.h"
#include "files/registry.h"
#include "files/small_file.h"
#include "files/user_folders.h"
#include "tests/temp_dir.h"
#include "win/handle.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>

using namespace folimar;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

namespace {

using testing_support::CodePages;

TEST_F(CodePages, JobTextIsUtf8OnlyWhenItIsValidUtf8)
{
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"Report", "Report"},
        {"Caf\xE9", "Caf\xC3\xA9"},                   // a Windows driver's title in 1252
        {"Caf\xC3\xA9", "Caf\xC3\xA9"},               // a UTF-8 title stays
        {"\x80 \x9F", "\xE2\x82\xAC \xC5\xB8"},       // euro sign and Y diaeresis: 1252, not Latin-1
        {"\xC3\xA9\xE9", "\xC3\x83\xC2\xA9\xC3\xA9"}, // not UTF-8 as a whole: every byte in 1252
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DscTextToUtf8(c.in), c.out) << c.in;
}

TEST_F(CodePages, NamesOutsideTheCodePageGetNoLookAlike)
{
    EXPECT_EQ(Utf8ToAnsiName("Caf\xC3\xA9"), "Caf\xE9");
    EXPECT_EQ(Utf8ToAnsiName("\xCE\xA9mega"), "_mega"); // never "Omega": that is another file
    EXPECT_EQ(Utf8ToAnsiName("\xE6\x97\xA5\xE6\x9C\xAC"), "__");
    EXPECT_EQ(Utf8ToAnsiName(""), "");
}

// A registry key of the test's own under HKCU, deleted afterwards.
class Registry : public ::testing::Test {
protected:
    static constexpr char kKey[] = "Software\\Quorvel\\FolimarTest";

    void SetUp() override
    {
        ASSERT_EQ(
            ::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.put(), nullptr),
            ERROR_SUCCESS);
    }
    void TearDown() override
    {
        key_.reset();
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    }
    void Set(const char* name, DWORD type, const std::string& data)
    {
        ASSERT_EQ(::RegSetValueExA(key_.get(), name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                   static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }

    win::RegKey key_;
};

TEST_F(Registry, ReadsValuesUpTo1024Bytes)
{
    Set("text", REG_SZ, std::string("hello") + '\0');
    Set("expand", REG_EXPAND_SZ, std::string("%SystemRoot%\\x") + '\0');
    Set("exact", REG_BINARY, std::string(1024, 'a'));
    Set("over", REG_BINARY, std::string(1025, 'b'));
    Set("embedded", REG_BINARY, std::string("ab\0cd", 5));

    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kKey, "text"), "hello");
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kKey, "expand"), "%SystemRoot%\\x"); // not expanded
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kKey, "exact"), std::string(1024, 'a'));
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kKey, "over"), "");
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kKey, "embedded"), "ab");
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kKey, "missing"), "");
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, "Software\\Quorvel\\NoSuchKey", "text"), "");
}

// Sets or removes values of the "Shell Folders" key for one test and puts the old ones back.
class ShellFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kShellFoldersKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    key_.put(), nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override
    {
        for (const auto& [name, old] : saved_) {
            if (old)
                Set(name.c_str(), old->c_str());
            else
                ::RegDeleteValueA(key_.get(), name.c_str());
        }
    }
    // value nullptr removes the value.
    void Set(const char* name, const char* value)
    {
        if (!saved_.count(name)) {
            std::string old = ReadRegistryString(HKEY_CURRENT_USER, kShellFoldersKey, name);
            saved_[name] = old.empty() ? std::nullopt : std::optional<std::string>(old);
        }
        if (!value) {
            ::RegDeleteValueA(key_.get(), name);
            return;
        }
        ::RegSetValueExA(key_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                         static_cast<DWORD>(strlen(value) + 1));
    }

    win::RegKey key_;
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(ShellFolders, DocumentsFolderAlwaysEndsInABackslash)
{
    struct Case {
        const char* personal;
        const char* folder;
    } cases[] = {
        {nullptr, "C:\\"},
        {"", "C:\\"},
        {"D:\\Users\\me\\Documents", "D:\\Users\\me\\Documents\\"},
        {"D:\\Users\\me\\Documents\\", "D:\\Users\\me\\Documents\\"},
    };
    for (const Case& c : cases) {
        Set("Personal", c.personal);
        EXPECT_EQ(GetMyDocumentsFolder(), c.folder) << (c.personal ? c.personal : "(missing)");
    }
}

// The program and the printer's port meet in the spool folder below it: it must be a whole path
// even where the shell keeps no record of it.
TEST_F(ShellFolders, AppDataFolderIsAlwaysAWholePath)
{
    Set("AppData", "D:\\Users\\me\\AppData\\Roaming");
    EXPECT_EQ(AppDataFolder(), "D:\\Users\\me\\AppData\\Roaming\\");
    Set("AppData", "D:\\Roaming\\");
    EXPECT_EQ(AppDataFolder(), "D:\\Roaming\\");

    Set("AppData", nullptr);
    const std::string fromShell = AppDataFolder();
    EXPECT_EQ(fromShell.find(":\\"), 1u) << fromShell;
    EXPECT_EQ(fromShell.back(), '\\') << fromShell;
    EXPECT_NE(fromShell, GetMyDocumentsFolder()) << "the shell knows the folder";
}

TEST(UserFolders, DataAndSpoolFoldersBelowTheApplicationDataFolder)
{
    EXPECT_EQ(DataFolderOf("C:\\users\\me\\AppData\\Roaming"), "C:\\users\\me\\AppData\\Roaming\\QUORPSFILES\\");
    EXPECT_EQ(DataFolderOf("C:\\users\\me\\AppData\\Roaming\\"), "C:\\users\\me\\AppData\\Roaming\\QUORPSFILES\\");
    EXPECT_EQ(SpoolFolderOf("D:\\data"), "D:\\data\\QUORPSFILES\\TEMP\\");
}

TEST(CreateFolderPath, CreatesEveryMissingLevel)
{
    TempDir dir;
    std::string deep = dir / "one\\two";
    EXPECT_TRUE(CreateFolderPath(deep));
    EXPECT_TRUE(DirectoryExists(dir / "one"));
    EXPECT_TRUE(DirectoryExists(deep));
    EXPECT_TRUE(CreateFolderPath(deep + "\\")); // existing path: nothing to do
}

TEST(CreateFolderPath, DriveRootNeedsNothing)
{
    EXPECT_TRUE(CreateFolderPath("C:\\"));
}

TEST(CreateFolderPath, RefusesPathsWithoutADriveLetter)
{
    TempDir dir;
    ASSERT_TRUE(::SetCurrentDirectoryA(dir.path().c_str()));
    for (const char* path : {"relative\\folder", "\\\\server\\share\\folder", "\\rooted\\folder", "", "C:relative"})
        EXPECT_FALSE(CreateFolderPath(path)) << path;
    EXPECT_FALSE(DirectoryExists(dir / "relative"));
    ::SetCurrentDirectoryA("C:\\");
}

TEST(CreateFolderPath, StopsAtTheFirstFolderThatCannotBeMade)
{
    TempDir dir;
    ASSERT_TRUE(testing_support::WriteFileBytes(dir / "file", "x"));
    EXPECT_FALSE(CreateFolderPath(dir / "file\\below\\deeper"));
    EXPECT_FALSE(DirectoryExists(dir / "file\\below"));
}

TEST(IsSameOrInsideFolder, TheFolderAndWhatIsInItWhateverTheSpelling)
{
    TempDir dir;
    const std::string data = dir / "Quorvel data";
    ASSERT_TRUE(CreateFolderPath(data + "\\TEMP"));
    ASSERT_TRUE(CreateFolderPath(dir / "Quorvel data2"));
    char shortName[MAX_PATH] = {};
    ASSERT_NE(::GetShortPathNameA(data.c_str(), shortName, MAX_PATH), 0u);
    std::string slashed = data + "/TEMP";
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    struct Case {
        std::string path;
        bool inside;
    } cases[] = {
        {data, true},
        {data + "\\", true},
        {data + "\\TEMP\\", true},
        {data + "\\not\\made\\yet\\", true},
        {std::string(shortName) + "\\TEMP", true},
        {dir / "TEMP\\..\\Quorvel data\\TEMP", true},
        {slashed, true},
        {dir / "QUORVEL DATA", true},
        {dir / "Quorvel data2", false},
        {dir.path(), false},
        {dir / "elsewhere\\Quorvel data", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsSameOrInsideFolder(c.path, data), c.inside) << c.path;
    EXPECT_FALSE(IsSameOrInsideFolder(data, dir / "gone")) << "a folder that does not exist holds nothing";
}

TEST(IsPlainFileDirectlyIn, OnlyAFileOfItsOwnDirectlyInTheFolder)
{
    TempDir dir;
    const std::string spool = dir / "QUORPSFILES\\TEMP";
    ASSERT_TRUE(CreateFolderPath(spool + "\\sub"));
    const std::string job = spool + "\\captured job.ps";
    const std::string userFile = dir / "letter.txt";
    ASSERT_TRUE(testing_support::WriteFileBytes(job, "%!PS"));
    ASSERT_TRUE(testing_support::WriteFileBytes(spool + "\\sub\\below.ps", "%!PS"));
    ASSERT_TRUE(testing_support::WriteFileBytes(userFile, "Dear Sir"));
    ASSERT_TRUE(::CreateHardLinkA((spool + "\\hard.ps").c_str(), userFile.c_str(), nullptr));
    char shortName[MAX_PATH] = {};
    ASSERT_NE(::GetShortPathNameA(spool.c_str(), shortName, MAX_PATH), 0u);
    struct Case {
        std::string path;
        bool plain;
    } cases[] = {
        {job, true},
        {std::string(shortName) + "\\captured job.ps", true},
        {spool + "\\sub\\..\\captured job.ps", true},
        {dir / "qUORPSFILES\\temp\\CAPTURED JOB.PS", true},
        {spool + "\\sub\\below.ps", false},
        {spool + "\\hard.ps", false},
        {spool + "\\..\\TEMP", false},
        {spool + "\\sub", false},
        {spool + "\\missing.ps", false},
        {userFile, false},
        {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsPlainFileDirectlyIn(c.path, spool), c.plain) << c.path;
    EXPECT_FALSE(IsPlainFileDirectlyIn(job, dir / "gone")) << "a folder that does not exist holds nothing";
    // A symbolic link in the folder to a user's file, where the system makes one.
    const std::string link = spool + "\\link.ps";
    if (::CreateSymbolicLinkA(link.c_str(), userFile.c_str(), 0))
        EXPECT_FALSE(IsPlainFileDirectlyIn(link, spool));
    else
        std::printf("no symbolic link made (error %lu): that case is not tried\n",
                    static_cast<unsigned long>(::GetLastError()));
}

TEST(WriteDestFile, WritesTheTextExactly)
{
    TempDir dir;
    std::string folder = dir / "spool\\TEMP\\";
    const std::string pdf = "C:\\out\\Report Q1.pdf";
    EXPECT_TRUE(WriteDestFile(folder, pdf));
    EXPECT_EQ(ReadFileBytes(folder + "~dest.tmp"), pdf); // no terminator, no line end

    EXPECT_TRUE(WriteDestFile(folder, "short"));
    EXPECT_EQ(ReadFileBytes(folder + "~dest.tmp"), "short"); // truncated, not overlaid

    EXPECT_TRUE(WriteDestFile(folder, ""));
    EXPECT_TRUE(FileExists(folder + "~dest.tmp"));
    EXPECT_EQ(ReadFileBytes(folder + "~dest.tmp"), "");
}

TEST(WriteDestFile, FailsWhenTheFileCannotBeCreated)
{
    TempDir dir;
    ASSERT_TRUE(testing_support::WriteFileBytes(dir / "blocker", "x"));
    EXPECT_FALSE(WriteDestFile(dir / "blocker\\", "C:\\x.pdf"));
}

// The folder write test leaves nothing behind, and a refusal always carries a reason.
TEST(CanCreateFileIn, OnlyForAFolderThatTakesFiles)
{
    TempDir dir;
    ASSERT_TRUE(testing_support::WriteFileBytes(dir / "file", "x"));
    struct Case {
        std::string folder;
        bool writable;
    } cases[] = {{dir.path(), true},
                 {dir.path().substr(0, dir.path().size() - 1), true}, // without the trailing backslash
                 {dir / "missing\\", false},
                 {dir / "file\\", false}};
    for (const Case& c : cases) {
        DWORD error = 0;
        EXPECT_EQ(CanCreateFileIn(c.folder, error), c.writable) << c.folder;
        EXPECT_EQ(error != 0, !c.writable) << c.folder;
    }
    // Only the file made above is there: the probes are gone.
    win::FindHandle find;
    WIN32_FIND_DATAA data{};
    int files = 0;
    find.reset(::FindFirstFileA((dir / "*").c_str(), &data));
    if (find)
        do
            files += (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
        while (::FindNextFileA(find.get(), &data));
    EXPECT_EQ(files, 1);
}

} // namespace
