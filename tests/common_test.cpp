// File, folder and registry utilities on real files and the test prefix's registry.
#include "tests/gtest_win.h"

#include "jobprep/common.h"
#include "tests/temp_dir.h"
#include "win/handle.h"

#include <optional>
#include <string>

using namespace folimar;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

namespace {

TEST(StripQuotes, RemovesOneQuoteAtEachEnd)
{
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"\"C:\\a b\\job.ps\"", "C:\\a b\\job.ps"}, {"path\"", "path"}, {"\"path", "path"}, {"\"", ""}, {"", ""},
        {"a\"b", "a\"b"}, {"\"\"\"", "\""}, {"\"\"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StripQuotes(c.in), c.out) << c.in;
}

// A registry key of the test's own under HKCU, deleted afterwards.
class Registry : public ::testing::Test {
protected:
    static constexpr char kKey[] = "Software\\Quorvel\\FolimarTest";

    void SetUp() override
    {
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.put(),
                                    nullptr),
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

// Sets or removes the "Personal" shell folder for one test and puts the old value back.
class DocumentsFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kShellFoldersKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    key_.put(), nullptr),
                  ERROR_SUCCESS);
        std::string old = ReadRegistryString(HKEY_CURRENT_USER, kShellFoldersKey, "Personal");
        if (!old.empty())
            saved_ = old;
    }
    void TearDown() override
    {
        if (saved_)
            SetPersonal(saved_->c_str());
        else
            ::RegDeleteValueA(key_.get(), "Personal");
    }
    void SetPersonal(const char* value)
    {
        if (!value) {
            ::RegDeleteValueA(key_.get(), "Personal");
            return;
        }
        ::RegSetValueExA(key_.get(), "Personal", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                         static_cast<DWORD>(strlen(value) + 1));
    }

    win::RegKey key_;
    std::optional<std::string> saved_;
};

TEST_F(DocumentsFolder, AlwaysEndsInABackslash)
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
        SetPersonal(c.personal);
        EXPECT_EQ(GetMyDocumentsFolder(), c.folder) << (c.personal ? c.personal : "(missing)");
    }
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

TEST(CreateFolderPath, DriveRootNeedsNothing) { EXPECT_TRUE(CreateFolderPath("C:\\")); }

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

} // namespace
