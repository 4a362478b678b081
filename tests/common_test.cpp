// File, folder and registry utilities on real files and the test prefix's registry; the rules
// for device names and job texts.
#include "tests/gtest_win.h"

#include "jobprep/common.h"
#include "jobprep/text_rules.h"
#include "tests/temp_dir.h"
#include "win/handle.h"
#include "win/write_test.h"

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
        {"\"C:\\a b\\job.ps\"", "C:\\a b\\job.ps"},
        {"path\"", "path"},
        {"\"path", "path"},
        {"\"", ""},
        {"", ""},
        {"a\"b", "a\"b"},
        {"\"\"\"", "\""},
        {"\"\"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StripQuotes(c.in), c.out) << c.in;
}

struct DeviceCase {
    const char* path;
    bool device;
};

class DeviceName : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(DeviceName, FollowsWindowsRules)
{
    EXPECT_EQ(IsReservedDeviceName(GetParam().path), GetParam().device) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Devices, DeviceName,
    ::testing::Values(
        DeviceCase{"CON", true}, DeviceCase{"PRN", true}, DeviceCase{"AUX", true}, DeviceCase{"NUL", true},
        DeviceCase{"COM1", true}, DeviceCase{"COM9", true}, DeviceCase{"COM0", true}, DeviceCase{"LPT1", true},
        DeviceCase{"LPT0", true}, DeviceCase{"CONIN$", true}, DeviceCase{"CONOUT$", true},
        // Any case, any extension, any folder before it.
        DeviceCase{"con", true}, DeviceCase{"Aux.pdf", true}, DeviceCase{"nul.tar.gz", true},
        DeviceCase{"conout$.log", true}, DeviceCase{"C:\\Users\\me\\Documents\\COM1.pdf", true},
        DeviceCase{"Z:/tmp/lpt9.txt", true}, DeviceCase{"C:NUL", true}, DeviceCase{"..\\prn", true},
        // Superscript port numbers, as UTF-8 and as code page 1252 bytes.
        DeviceCase{"COM\xC2\xB9.pdf", true}, DeviceCase{"lpt\xC2\xB2", true}, DeviceCase{"LPT\xC2\xB3.x", true},
        DeviceCase{"com\xB9", true}, DeviceCase{"COM\xB3.pdf", true},
        // Trailing dots and spaces, which Windows drops, and a trailing colon.
        DeviceCase{"NUL .pdf", true}, DeviceCase{"NUL...", true}, DeviceCase{"AUX  ", true},
        DeviceCase{"con. .pdf", true}, DeviceCase{"NUL:", true},
        // The device namespace.
        DeviceCase{"\\\\.\\COM1", true}, DeviceCase{"\\\\.\\pipe\\name", true}, DeviceCase{"//./PhysicalDrive0", true},
        // Files.
        DeviceCase{"", false}, DeviceCase{"report.pdf", false}, DeviceCase{"CONX", false}, DeviceCase{"COM", false},
        DeviceCase{"COM10", false}, DeviceCase{"LPT", false}, DeviceCase{"NULL.pdf", false},
        DeviceCase{"xNUL.pdf", false}, DeviceCase{"Aux_.pdf", false}, DeviceCase{"report-CON.pdf", false},
        DeviceCase{"C:\\CONSOLE.pdf", false}, DeviceCase{"COM\xC2\xB9x", false}, DeviceCase{"COM\xC2\xB4", false},
        DeviceCase{"COM\xC2\xB9\xC2\xB9", false}, DeviceCase{"C:\\NUL\\report.pdf", false},
        DeviceCase{"\\\\?\\C:\\report.pdf", false}, DeviceCase{"CON_", false}));

TEST(DeviceNameRefusal, NamesThePath)
{
    EXPECT_EQ(DeviceNameRefusal("C:\\out\\NUL.pdf"),
              "\"C:\\out\\NUL.pdf\" is the name of a Windows device, not of a file: choose another name");
}

TEST(Utf8, Validity)
{
    for (const char* valid : {"", "Report", "Caf\xC3\xA9", "\xCE\xA9mega\xE6\x97\xA5\xE6\x9C\xAC", "\xF0\x9F\x98\x80",
                              "\xEF\xBF\xBD", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(IsValidUtf8(valid)) << valid;
    for (const char* invalid : {"Caf\xE9", "\x80", "\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                                "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "\xC3\xA9\xE9"})
        EXPECT_FALSE(IsValidUtf8(invalid)) << invalid;
}

TEST(Utf8, ToUtf16UsesSurrogatePairsAboveTheBasicPlane)
{
    EXPECT_EQ(Utf8ToUtf16("Caf\xC3\xA9"), u"Caf\u00E9");
    EXPECT_EQ(Utf8ToUtf16("\xCE\xA9\xE6\x97\xA5"), u"\u03A9\u65E5");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), std::u16string({0xD83D, 0xDE00}));
    EXPECT_EQ(Utf8ToUtf16("a\xFF"), u"a\uFFFD");
}

// The test programs run with the prefix's code page, 1252, as the product does where Windows
// ignores its manifest's UTF-8 code page; the locale's legacy code page is 1252 as well.
class CodePages : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::GetACP(), 1252u);
        ASSERT_EQ(LegacyAnsiCodePage(), 1252u);
    }
};

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

TEST_F(CodePages, ArgumentsOutsideTheCodePageAreFound)
{
    auto first = [](const char16_t* line) { return FirstLossyArgument(reinterpret_cast<const WCHAR*>(line)); };
    EXPECT_EQ(first(u"folimarc.exe job.ps out.pdf"), -1);
    EXPECT_EQ(first(u"folimarc.exe caf\u00E9.ps \"C:\\a b\\\u20AC.pdf\""), -1);
    EXPECT_EQ(first(u"folimarc.exe caf\u00E9.ps \u03A9mega.pdf"), 2);
    EXPECT_EQ(first(u"folimarc.exe \"C:\\\u65E5\u672C\\job.ps\" out.pdf"), 1);
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
        EXPECT_EQ(win::CanCreateFileIn(c.folder, error), c.writable) << c.folder;
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
