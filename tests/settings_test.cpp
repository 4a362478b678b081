// The settings file: the number rule of "OverWrite", and loading and saving real files in a
// temporary data folder of the test prefix.
#include "tests/gtest_win.h"

#include "files/folders.h"
#include "files/user_folders.h"
#include "settings/profile_number.h"
#include "settings/settings.h"
#include "tests/temp_dir.h"

#include <optional>
#include <string>

using namespace folimar;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

TEST(ParseProfileNumber, ReadsDecimalAndPrefixedHexadecimal)
{
    const std::optional<int32_t> none;
    struct Case {
        const char* text;
        std::optional<int32_t> value;
    } cases[] = {
        {"1", 1},
        {"01", 1},
        {"0", 0},
        {"2", 2},
        {"-1", -1},
        {"+7", 7},
        {"0x1", 1},
        {"0X1", 1}, // GetPrivateProfileIntA reads 0 here
        {"$1", 1},  // and here
        {"0x0001", 1},
        {"0xff", 255},
        {"$FF", 255},
        {"-0x10", -16},
        {" 1 ", 1},
        {"\t0x1", 1},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"0x7FFFFFFF", 2147483647},
        {"2147483648", none},
        {"-2147483649", none},
        {"0x80000000", none},
        {"99999999999999999999", none},
        {"", none},
        {" ", none},
        {"abc", none},
        {"1a", none},
        {"0x", none},
        {"$", none},
        {"-", none},
        {"0x-1", none},
        {"--1", none},
        {"1.0", none},
        {"1 2", none},
        {"0b1", none},
        {"x1", none},
        {"ff", none},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseProfileNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(OverwriteFromProfile, OnlyOneOrNoNumberMeansOverwrite)
{
    for (const char* value : {"1", "0x1", "01", "$1", "", "abc", "1.5"})
        EXPECT_TRUE(OverwriteFromProfile(value)) << value;
    for (const char* value : {"0", "2", "-1", "0x0", "0x10"})
        EXPECT_FALSE(OverwriteFromProfile(value)) << value;
}

TEST(PrintLimitFromProfile, APositiveNumberOfSecondsHeldToItsRangeElseTheDefault)
{
    struct Case {
        const char* value;
        unsigned seconds;
    } cases[] = {
        {"300", 300},     {"0x3C", 60},         {" 45 ", 45}, {"10", 10}, {"9", 10},   {"1", 10},
        {"86400", 86400}, {"2000000", 86400},   {"", 120},    {"0", 120}, {"-5", 120}, {"two minutes", 120},
        {"1.5", 120},     {"99999999999", 120},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PrintLimitFromProfile(c.value), c.seconds) << c.value;
}

// A data folder of the test's own, as "QUORPSFILES\" below a temporary folder.
class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root_.valid()); }

    std::string File() const { return SettingsFilePath(data_); }
    void WriteIni(const std::string& text)
    {
        ASSERT_TRUE(::CreateDirectoryA(data_.c_str(), nullptr) || DirectoryExists(data_));
        ASSERT_TRUE(WriteFileBytes(File(), text));
    }

    TempDir root_;
    const std::string data_ = root_ / "QUORPSFILES\\";
};

TEST_F(SettingsFile, WithoutAFileTheDocumentsFolderAndOverwrite)
{
    TSettings settings = LoadSettings(data_);
    EXPECT_EQ(settings.outputFolder, GetMyDocumentsFolder());
    EXPECT_TRUE(settings.overwrite);
    EXPECT_FALSE(DirectoryExists(data_)); // loading writes nothing
}

TEST_F(SettingsFile, ReadsBothKeysByTheProgramsNumberRule)
{
    struct Case {
        const char* ini;
        TSettings expected;
    } cases[] = {
        {"[Folimar]\r\nOutputFolder=D:\\PDF\\\r\nOverWrite=0\r\n", {"D:\\PDF\\", false}},
        {"[Folimar]\r\nOutputFolder=D:\\PDF\r\nOverWrite=1\r\n", {"D:\\PDF\\", true}}, // a backslash added
        {"[Folimar]\r\nOutputFolder=D:\\PDF\\\r\nOverWrite=2\r\n", {"D:\\PDF\\", false}},
        {"[Folimar]\r\nOutputFolder=D:\\PDF\\\r\nOverWrite=-1\r\n", {"D:\\PDF\\", false}},
        {"[Folimar]\r\nOutputFolder=D:\\PDF\\\r\nOverWrite=0X1\r\n", {"D:\\PDF\\", true}},
        {"[Folimar]\r\nOutputFolder=D:\\PDF\\\r\nOverWrite=$1\r\n", {"D:\\PDF\\", true}},
        {"[Folimar]\r\nOutputFolder=D:\\PDF\\\r\nOverWrite=no\r\n", {"D:\\PDF\\", true}},
        {"[Folimar]\nOverWrite = 01\nOutputFolder = E:\\Out\\ \n", {"E:\\Out\\", true}},
        {"[folimar]\r\noutputfolder=D:\\PDF\\\r\noverwrite=0\r\n", {"D:\\PDF\\", false}}, // names ignore case
        {"[Other]\r\nOutputFolder=D:\\PDF\\\r\nOverWrite=0\r\n", {GetMyDocumentsFolder(), true}},
        {"[Folimar]\r\nOutputFolder=\r\nOverWrite=0\r\n", {GetMyDocumentsFolder(), false}},
        {"", {GetMyDocumentsFolder(), true}},
    };
    for (const Case& c : cases) {
        WriteIni(c.ini);
        EXPECT_EQ(LoadSettings(data_), c.expected) << c.ini;
    }
}

// The print limit is only ever written by hand: the settings dialog's save leaves it as it is.
TEST_F(SettingsFile, ThePrintLimitIsReadAndASaveKeepsIt)
{
    EXPECT_EQ(LoadSettings(data_).printLimitSeconds, kDefaultPrintLimitSeconds) << "no file";
    WriteIni("[Folimar]\r\nPrintLimitSeconds=600\r\nOverWrite=1\r\n");
    TSettings settings = LoadSettings(data_);
    EXPECT_EQ(settings.printLimitSeconds, 600u);
    ASSERT_TRUE(SaveSettings(data_, {"F:\\New\\", false}));
    EXPECT_NE(ReadFileBytes(File()).find("PrintLimitSeconds=600\r\n"), std::string::npos) << ReadFileBytes(File());
    EXPECT_EQ(LoadSettings(data_).printLimitSeconds, 600u);
}

TEST_F(SettingsFile, FirstSaveCreatesTheDataFolder)
{
    const std::string deeper = root_ / "AppData\\QUORPSFILES\\";
    ASSERT_TRUE(SaveSettings(deeper, {"D:\\PDF\\", false}));
    EXPECT_EQ(ReadFileBytes(SettingsFilePath(deeper)), "[Folimar]\r\nOutputFolder=D:\\PDF\\\r\nOverWrite=0\r\n");
    EXPECT_EQ(LoadSettings(deeper), (TSettings{"D:\\PDF\\", false}));
}

TEST_F(SettingsFile, SavingRewritesBothKeysAndKeepsTheRest)
{
    WriteIni("[Folimar]\r\nOverWrite=0x0\r\nOutputFolder=C:\\Old\\\r\n[Other]\r\nKeep=me\r\n");
    TSettings settings = LoadSettings(data_);
    settings.outputFolder = "F:\\New\\"; // only the folder changed
    ASSERT_TRUE(SaveSettings(data_, settings));
    std::string text = ReadFileBytes(File());
    EXPECT_NE(text.find("OverWrite=0\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("OutputFolder=F:\\New\\\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Keep=me"), std::string::npos) << text;
    EXPECT_EQ(LoadSettings(data_), (TSettings{"F:\\New\\", false}));

    ASSERT_TRUE(SaveSettings(data_, {"F:\\New\\", true}));
    EXPECT_NE(ReadFileBytes(File()).find("OverWrite=1\r\n"), std::string::npos);
}

TEST_F(SettingsFile, ARefusedWriteIsReported)
{
    // A file where the data folder should be: neither the folder nor the settings can be made.
    ASSERT_TRUE(WriteFileBytes(root_ / "QUORPSFILES", "in the way"));
    EXPECT_FALSE(SaveSettings(data_, {"D:\\PDF\\", true}));
    EXPECT_EQ(SaveSettingsFailedText(data_), "Unable to write to " + data_ + "folimar.ini");

    // A folder in the settings file's place refuses the write of an existing data folder.
    const std::string other = root_ / "Blocked\\";
    ASSERT_TRUE(SaveSettings(other, {"D:\\PDF\\", true}));
    ASSERT_TRUE(::DeleteFileA(SettingsFilePath(other).c_str()));
    ASSERT_TRUE(::CreateDirectoryA(SettingsFilePath(other).c_str(), nullptr));
    EXPECT_FALSE(SaveSettings(other, {"E:\\PDF\\", false}));
}

TEST_F(SettingsFile, AutoSaveKeysHaveTheirDefaultsAndReadBack)
{
    const TAutoSaveSettings defaults{false, GetMyDocumentsFolder(), "<Title>", false, true};
    struct Case {
        const char* ini;
        TAutoSaveSettings expected;
    } cases[] = {
        {"", defaults},
        {"[Folimar]\r\nOutputFolder=D:\\PDF\\\r\nOverWrite=0\r\n", defaults}, // the batch's keys are its own
        {"[Folimar]\r\nAutoSave=1\r\nAutoSaveFolder=E:\\Printed\r\nAutoSaveName=<Date> <Title>\r\n"
         "AutoSaveOverwrite=1\r\nOpenPdf=0\r\n",
         {true, "E:\\Printed\\", "<Date> <Title>", true, false}},
        // Switches are on only at 1; a value that is no number keeps the default.
        {"[Folimar]\r\nAutoSave=2\r\nAutoSaveOverwrite=yes\r\nOpenPdf=x\r\nAutoSaveName=\r\n", defaults},
        {"[Folimar]\r\nAutoSave=0x1\r\nOpenPdf=0\r\n", {true, GetMyDocumentsFolder(), "<Title>", false, false}},
    };
    for (const Case& c : cases) {
        WriteIni(c.ini);
        EXPECT_EQ(LoadAutoSaveSettings(data_), c.expected) << c.ini;
    }
}

TEST_F(SettingsFile, SavingAutoSaveKeysLeavesTheBatchKeys)
{
    WriteIni("[Folimar]\r\nOutputFolder=C:\\Old\\\r\nOverWrite=0\r\n");
    const TAutoSaveSettings saved{true, "F:\\Jobs\\", "<User> <Counter>", true, false};
    ASSERT_TRUE(SaveAutoSaveSettings(data_, saved));
    EXPECT_EQ(LoadAutoSaveSettings(data_), saved);
    EXPECT_EQ(LoadSettings(data_), (TSettings{"C:\\Old\\", false}));
    const std::string text = ReadFileBytes(File());
    EXPECT_NE(text.find("AutoSaveName=<User> <Counter>\r\n"), std::string::npos) << text;

    // A refused write is reported as the batch keys' is.
    ASSERT_TRUE(WriteFileBytes(root_ / "Elsewhere", "in the way"));
    EXPECT_FALSE(SaveAutoSaveSettings(root_ / "Elsewhere\\", saved));
}

} // namespace
