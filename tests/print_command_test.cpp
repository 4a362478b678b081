// The print command lookup: extension classes, the order of registry reads, real file types
// registered in the test prefix's classes root, and the Paint command.
#include "tests/gtest_win.h"

#include "batch/pipeline/print_command_lookup.h"
#include "tests/temp_dir.h"
#include "win/handle.h"

#include <cstring>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

using namespace folimar;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

TEST(ExtensionClasses, CompareTheLowerCasedExtensionExactly)
{
    struct Case {
        const char* extension;
        bool image;
        bool text;
    } cases[] = {
        {".jpg", true, false},   {".JPG", true, false}, {".Jpeg", true, false},  {".ico", true, false},
        {".webp", false, false}, {"jpg", false, false}, {".jpg ", false, false}, {".png.bak", false, false},
        {".TXT", false, true},   {".Cpp", false, true}, {".c", false, true},     {".php", false, true},
        {".text", false, false}, {".cc", false, false}, {".", false, false},     {"", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsImageExtension(c.extension), c.image) << c.extension;
        EXPECT_EQ(IsTextExtension(c.extension), c.text) << c.extension;
    }
    EXPECT_EQ(std::size(ImageExtensions), 10u);
    EXPECT_EQ(std::size(TextExtensions), 32u);
}

TEST(DefaultTypeDescription, DropsTheDotAndAddsFile)
{
    EXPECT_EQ(DefaultTypeDescription(".doc"), "doc file");
    EXPECT_EQ(DefaultTypeDescription(".XYZ"), "XYZ file"); // the case is kept
    EXPECT_EQ(DefaultTypeDescription(".tar.gz"), "tar.gz file");
}

TEST(ImagePrintCommand, NamesPaintForImagesWhenItExists)
{
    const char* paint = "C:\\windows\\system32\\mspaint.exe";
    EXPECT_EQ(ImagePrintCommand(".PNG", paint, true), "C:\\windows\\system32\\mspaint.exe /p \"%1\"");
    EXPECT_EQ(ImagePrintCommand(".png", paint, false), "");
    EXPECT_EQ(ImagePrintCommand(".txt", paint, true), "");
}

TEST(DefaultValueText, EndsAtTheFirstZeroOfTheReportedBytes)
{
    using namespace std::string_literals;
    struct Case {
        std::string bytes;
        std::optional<std::string> text;
    } cases[] = {
        {""s, std::nullopt}, // nothing reported: not read
        {"\0"s, ""s},        // an empty string value
        {"Word.Document.8\0"s, "Word.Document.8"s},
        {"no terminator"s, "no terminator"s},
        {"ab\0cd\0"s, "ab"s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DefaultValueText(c.bytes), c.text) << c.bytes;
}

// A classes root in memory: key path -> its default value (nullopt: the key has none).
class FakeClasses {
public:
    std::map<std::string, std::optional<std::string>> keys;
    std::vector<std::string> asked;

    TPrintCommandInfo Lookup(const char* extension)
    {
        return LookupPrintCommandWith(extension, [this](const std::string& path) {
            asked.push_back(path);
            TDefaultValue value;
            auto it = keys.find(path);
            if (it != keys.end()) {
                value.keyOpened = true;
                value.text = it->second;
            }
            return value;
        });
    }
};

TEST(LookupPrintCommandWith, StopsAtTheFirstMissingKeyAndKeepsWhatItFound)
{
    const std::optional<std::string> none;
    const std::string cls = "Test.Doc";
    const std::string print = cls + "\\shell\\print\\command";
    const std::string dde = cls + "\\shell\\print\\ddeexec";
    struct Case {
        const char* what;
        std::map<std::string, std::optional<std::string>> keys;
        TPrintCommandInfo expected;
    } cases[] = {
        {"not registered", {}, {"tdoc file", "", "", "", ""}},
        {"extension key without a class", {{".tdoc", none}}, {"tdoc file", "", "", "", ""}},
        {"empty class name", {{".tdoc", ""}, {"", "root"}}, {"tdoc file", "", "", "", ""}},
        {"class key missing", {{".tdoc", cls}, {print, "x %1"}}, {"tdoc file", "", "", "", ""}},
        {"no print verb", {{".tdoc", cls}, {cls, "Test Document"}}, {"Test Document", "", "", "", ""}},
        {"empty description keeps the default",
         {{".tdoc", cls}, {cls, ""}, {print, "p.exe \"%1\""}},
         {"tdoc file", "p.exe \"%1\"", "", "", ""}},
        {"a type without a description still prints",
         {{".tdoc", cls}, {cls, none}, {print, "p.exe \"%1\""}},
         {"tdoc file", "p.exe \"%1\"", "", "", ""}},
        {"print command without ddeexec",
         {{".tdoc", cls}, {cls, "Test Document"}, {print, "p.exe /p \"%1\""}},
         {"Test Document", "p.exe /p \"%1\"", "", "", ""}},
        {"print command key without a value, DDE still read",
         {{".tdoc", cls}, {cls, "D"}, {print, none}, {dde, "[print(\"%1\")]"}, {dde + "\\Application", "App"}},
         {"D", "", "[print(\"%1\")]", "App", ""}},
        {"no print command key: ddeexec is not looked at",
         {{".tdoc", cls}, {cls, "D"}, {dde, "[print(\"%1\")]"}},
         {"D", "", "", "", ""}},
        {"ddeexec without its command: Application is not read",
         {{".tdoc", cls}, {cls, "D"}, {print, "p"}, {dde, none}, {dde + "\\Application", "App"}},
         {"D", "p", "", "", ""}},
        {"ddeexec without Application",
         {{".tdoc", cls}, {cls, "D"}, {print, "p"}, {dde, "[print(\"%1\")]"}, {dde + "\\Topic", "System"}},
         {"D", "p", "[print(\"%1\")]", "", ""}},
        {"Application without a value: Topic is not read",
         {{".tdoc", cls},
          {cls, "D"},
          {print, "p"},
          {dde, "[x]"},
          {dde + "\\Application", none},
          {dde + "\\Topic", "System"}},
         {"D", "p", "[x]", "", ""}},
        {"Application without Topic",
         {{".tdoc", cls}, {cls, "D"}, {print, "p"}, {dde, "[x]"}, {dde + "\\Application", "App"}},
         {"D", "p", "[x]", "App", ""}},
        {"everything",
         {{".tdoc", cls},
          {cls, "D"},
          {print, "p"},
          {dde, "[x]"},
          {dde + "\\Application", "App"},
          {dde + "\\Topic", "System"}},
         {"D", "p", "[x]", "App", "System"}},
    };
    for (const Case& c : cases) {
        FakeClasses classes;
        classes.keys = c.keys;
        TPrintCommandInfo info = classes.Lookup(".tdoc");
        EXPECT_EQ(info.description, c.expected.description) << c.what;
        EXPECT_EQ(info.printCommand, c.expected.printCommand) << c.what;
        EXPECT_EQ(info.ddeCommand, c.expected.ddeCommand) << c.what;
        EXPECT_EQ(info.ddeApplication, c.expected.ddeApplication) << c.what;
        EXPECT_EQ(info.ddeTopic, c.expected.ddeTopic) << c.what;
    }
}

TEST(LookupPrintCommandWith, ReadsTheKeysInOrderAndNoFurther)
{
    FakeClasses classes;
    classes.keys = {{".tdoc", "Test.Doc"}, {"Test.Doc", "D"}, {"Test.Doc\\shell\\print\\command", "p"}};
    classes.Lookup(".tdoc");
    EXPECT_EQ(classes.asked, (std::vector<std::string>{".tdoc", "Test.Doc", "Test.Doc\\shell\\print\\command",
                                                       "Test.Doc\\shell\\print\\ddeexec"}));
}

// File types registered in the test prefix's HKEY_CLASSES_ROOT (HKCU\Software\Classes does
// not show through it under Wine), removed afterwards.
class ClassesRoot : public ::testing::Test {
protected:
    static constexpr const char* kKeys[] = {".folimartest",    "Folimar.TestDoc", ".folimarbare",
                                            "Folimar.BareDoc", ".folimarlong",    "Folimar.LongDoc"};

    void SetUp() override { TearDown(); }
    void TearDown() override
    {
        for (const char* key : kKeys)
            ::RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
    }

    // Creates the key and, unless value is null, its default value.
    static void Set(const std::string& path, const char* value, DWORD type = REG_SZ)
    {
        win::RegKey key;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                                    nullptr),
                  ERROR_SUCCESS)
            << path;
        if (value) {
            ASSERT_EQ(::RegSetValueExA(key.get(), nullptr, 0, type, reinterpret_cast<const BYTE*>(value),
                                       static_cast<DWORD>(strlen(value) + 1)),
                      ERROR_SUCCESS);
        }
    }
};

TEST_F(ClassesRoot, ReadsATypeWithPrintAndDdeCommands)
{
    Set(".folimartest", "Folimar.TestDoc");
    Set("Folimar.TestDoc", "Folimar Test Document");
    Set("Folimar.TestDoc\\shell\\print\\command", "\"%ProgramFiles%\\Test\\test.exe\" /p \"%1\"", REG_EXPAND_SZ);
    Set("Folimar.TestDoc\\shell\\print\\ddeexec", "[print(\"%1\")]");
    Set("Folimar.TestDoc\\shell\\print\\ddeexec\\Application", "FolimarTest");
    Set("Folimar.TestDoc\\shell\\print\\ddeexec\\Topic", "System");

    TPrintCommandInfo expected{"Folimar Test Document", "\"%ProgramFiles%\\Test\\test.exe\" /p \"%1\"",
                               "[print(\"%1\")]", "FolimarTest", "System"};
    EXPECT_EQ(LookupPrintCommand(".folimartest"), expected);
    EXPECT_EQ(LookupPrintCommand(".FOLIMARTEST"), expected); // registry keys ignore case
}

TEST_F(ClassesRoot, MissingPartsStayEmpty)
{
    EXPECT_EQ(LookupPrintCommand(".folimarbare"), (TPrintCommandInfo{"folimarbare file", "", "", "", ""}));

    Set(".folimarbare", "Folimar.BareDoc");
    Set("Folimar.BareDoc", "Bare Document");
    EXPECT_EQ(LookupPrintCommand(".folimarbare"), (TPrintCommandInfo{"Bare Document", "", "", "", ""}));

    Set("Folimar.BareDoc\\shell\\print\\command", "bare.exe \"%1\"");
    Set("Folimar.BareDoc\\shell\\print\\ddeexec", "[open(\"%1\")]");
    EXPECT_EQ(LookupPrintCommand(".folimarbare"),
              (TPrintCommandInfo{"Bare Document", "bare.exe \"%1\"", "[open(\"%1\")]", "", ""}));
    Set("Folimar.BareDoc\\shell\\print\\ddeexec\\Application", "Bare");
    EXPECT_EQ(LookupPrintCommand(".folimarbare"),
              (TPrintCommandInfo{"Bare Document", "bare.exe \"%1\"", "[open(\"%1\")]", "Bare", ""}));
}

TEST_F(ClassesRoot, ACommandLongerThan259CharactersCountsAsMissing)
{
    Set(".folimarlong", "Folimar.LongDoc");
    Set("Folimar.LongDoc", nullptr); // no description: the command is still found
    const std::string fits = "p.exe \"%1\" " + std::string(259 - 11, 'x');
    ASSERT_EQ(fits.size(), 259u);
    Set("Folimar.LongDoc\\shell\\print\\command", fits.c_str());
    EXPECT_EQ(LookupPrintCommand(".folimarlong"), (TPrintCommandInfo{"folimarlong file", fits, "", "", ""}));

    const std::string tooLong = fits + "x";
    Set("Folimar.LongDoc\\shell\\print\\command", tooLong.c_str());
    EXPECT_EQ(LookupPrintCommand(".folimarlong").printCommand, "");
}

// Paint is found through %SystemRoot%: the test points it at a folder of its own.
class PaintProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.valid());
        char old[1024];
        DWORD n = ::GetEnvironmentVariableA("SystemRoot", old, sizeof(old));
        ASSERT_TRUE(n > 0 && n < sizeof(old));
        oldRoot_ = old;
        root_ = dir_.path().substr(0, dir_.path().size() - 1);
        ASSERT_TRUE(::SetEnvironmentVariableA("SystemRoot", root_.c_str()));
    }
    void TearDown() override { ::SetEnvironmentVariableA("SystemRoot", oldRoot_.c_str()); }

    TempDir dir_;
    std::string oldRoot_;
    std::string root_;
};

TEST_F(PaintProgram, ImagesGetPaintOnlyWhenItExists)
{
    for (const char* ext : {".png", ".JPG", ".bmp", ".txt"})
        EXPECT_EQ(GetImagePrintCommand(ext), "") << ext;

    ASSERT_TRUE(::CreateDirectoryA((dir_ / "system32").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(dir_ / "system32\\mspaint.exe", "MZ"));
    const std::string paint = root_ + "\\system32\\mspaint.exe /p \"%1\"";
    EXPECT_EQ(GetImagePrintCommand(".png"), paint);
    EXPECT_EQ(GetImagePrintCommand(".JPG"), paint);
    EXPECT_EQ(GetImagePrintCommand(".webp"), "");
    EXPECT_EQ(GetImagePrintCommand(".txt"), "");
}

} // namespace
