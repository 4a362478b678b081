// The printer stand-ins and the test driver: job title, port command line, batch hand-over, page
// layout, print programs' commands and registration, driver arguments.
#include "tests/gtest_win.h"

#include "app/arg_count.h"
#include "base/printer_constants.h"
#include "single/job_cmdline.h"
#include "tests/temp_dir.h"
#include "tools/driver_args.h"
#include "port/batch_job.h"
#include "port/port_job.h"
#include "tools/print_programs.h"
#include "tools/spool_files.h"
#include "tools/text_pages.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace porttool;

namespace {

// A parameterised case's name for gtest: its name field, with "_" for what gtest does not allow.
struct CaseName {
    template <class Info> std::string operator()(const Info& info) const
    {
        std::string name = info.param.name;
        for (char& c : name)
            if (!isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    }
};

struct TitleCase {
    const char* name;
    std::string header;
    std::string title;
};

class JobTitle : public ::testing::TestWithParam<TitleCase> {};

TEST_P(JobTitle, ReadsTheDscTitle)
{
    EXPECT_EQ(DscTitle(GetParam().header), GetParam().title);
}

// What Wine's PostScript driver writes, and what other drivers and hands do.
INSTANTIATE_TEST_SUITE_P(
    Headers, JobTitle,
    ::testing::Values(
        TitleCase{"wine", "%!PS-Adobe-3.0\n%%Creator: Wine PostScript Driver\n%%Title: note.txt\n%%Pages: (atend)\n",
                  "note.txt"},
        TitleCase{"crlf", "%!PS-Adobe-3.0\r\n%%Title:  Quarterly report \t\r\n%%EndComments\r\n", "Quarterly report"},
        TitleCase{"keyword case", "%!PS\n%%TITLE: Upper\n", "Upper"},
        TitleCase{"first one wins", "%%Title: one\n%%Title: two\n", "one"},
        TitleCase{"none", "%!PS-Adobe-3.0\n%%Creator: x\n%%EndComments\nshowpage\n", ""},
        TitleCase{"empty value", "%%Title:\n%%Pages: 1\n", ""},
        TitleCase{"last line", "%!PS\n%%Title: no line end", "no line end"},
        // Wine writes (...) with octal escapes when the name has non-ASCII bytes; inner
        // parentheses and quotes stay as they are.
        TitleCase{"string form", "%%Title: (Caf\\351 (x) \"q\".txt)\n", "Caf\xE9 (x) \"q\".txt"},
        TitleCase{"escapes", "%%Title: (a\\\\b\\(c\\)\\101\\0610)\n", "a\\b(c)A10"},
        TitleCase{"control escapes", "%%Title: (one\\ntwo\\tthree)\n", "one two three"},
        TitleCase{"lone parenthesis", "%%Title: (draft\n", "(draft"},
        // The header is the first 5120 bytes, up to the first NUL.
        TitleCase{"after header", std::string(5120, ' ') + "%%Title: late\n", ""},
        TitleCase{"just inside", std::string(5100, ' ') + "%%Title: early\n", "early"},
        TitleCase{"after nul", std::string("%!PS\n\0%%Title: hidden\n", 22), ""}),
    CaseName());

PortJob SampleJob()
{
    PortJob job;
    job.jobFile = "C:\\users\\me\\AppData\\Roaming\\QUORPSFILES\\JOBS\\job-20240102-030405-1f.ps";
    job.printer = "Quorvel Virtual Printer";
    job.companionFile = "C:\\users\\me\\AppData\\Roaming\\QUORPSFILES\\JOBS\\job-20240102-030405-1f.inf";
    job.user = "me";
    job.size = 12345;
    job.received = "20240102030405";
    job.title = "Report: Q1/Q2";
    job.dataType = "RAW";
    return job;
}

TEST(PortCommandLine, IsTheEightQuotedArgumentsWithTheJobFirst)
{
    EXPECT_EQ(JobCommandLine(SampleJob()),
              "\"C:\\users\\me\\AppData\\Roaming\\QUORPSFILES\\JOBS\\job-20240102-030405-1f.ps\" "
              "\"Quorvel Virtual Printer\" "
              "\"C:\\users\\me\\AppData\\Roaming\\QUORPSFILES\\JOBS\\job-20240102-030405-1f.inf\" "
              "\"me\" \"12345\" \"20240102030405\" \"Report: Q1/Q2\" \"RAW\"");
}

// The program's own reading of the line the port gives: single-job mode, job file, companion
// file and title in their places, whatever the title holds.
TEST(PortCommandLine, IsReadByTheProgramAsItsJob)
{
    const char* titles[] = {"Report: Q1/Q2", "", "say \"hi\"", "a  b\tc", "Caf\xE9"};
    for (const char* title : titles) {
        PortJob job = SampleJob();
        job.title = title;
        std::string line = JobCommandLine(job);
        EXPECT_TRUE(folimar::IsSingleJobCommandLine(line)) << line;
        folimar::TJobCommandLine split = folimar::SplitJobCommandLine(line, "C:\\Folimar\\folimar.exe");
        EXPECT_EQ(split.FJobFile, "\"" + job.jobFile + "\"");
        EXPECT_EQ(split.FCompanionFile, job.companionFile);
        std::string expected = title;
        for (char& c : expected)
            if (c == '"')
                c = '\''; // a quote would end the argument
        EXPECT_EQ(split.FDocTitle, expected) << line;
    }
}

TEST(PortCompanionFile, HoldsTheJobDetailsAsAProfile)
{
    EXPECT_EQ(CompanionText(SampleJob()),
              "[Job]\r\n"
              "Printer=Quorvel Virtual Printer\r\n"
              "Document=Report: Q1/Q2\r\n"
              "JobFile=C:\\users\\me\\AppData\\Roaming\\QUORPSFILES\\JOBS\\job-20240102-030405-1f.ps\r\n"
              "Size=12345\r\n"
              "User=me\r\n"
              "Received=20240102030405\r\n"
              "DataType=RAW\r\n");
}

TEST(PortJobFileStem, SortsByTimeAndTellsJobsApart)
{
    EXPECT_EQ(JobFileStem("20240102030405", 0x1f, 0), "job-20240102-030405-1f");
    EXPECT_EQ(JobFileStem("20240102030405", 0x1f, 2), "job-20240102-030405-1f-2");
}

// A reader of the spool folder takes every all-digit name for a job-id file.
TEST(PortJobIdFile, IsNamedInDecimalAndNeverMistakenWhileWritten)
{
    EXPECT_EQ(JobIdFileName(0), "0");
    EXPECT_EQ(JobIdFileName(4294967295u), "4294967295");
    EXPECT_EQ(NextJobId(284), 285u);
    EXPECT_EQ(NextJobId(4294967295u), 1u); // past the end, and 0 is no job
    for (uint32_t pid : {0u, 9u, 0x11cu, 0xffffffffu})
        for (int n : {0, 7, 999}) {
            std::string name = JobIdTempName(pid, n);
            EXPECT_NE(name.find_first_not_of("0123456789"), std::string::npos) << name;
            EXPECT_NE(JobIdTempName(pid, n), JobIdTempName(pid, n + 1));
        }
    EXPECT_NE(JobIdTempName(0x11c, 0), JobIdTempName(0x11d, 0));
}

// The job-id file on real files: whole content, the first free number, nothing else left.
class JobIdPublishing : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.valid()); }
    // The folder's file names, sorted.
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        win::FindHandle find(::FindFirstFileA((dir_ / "*").c_str(), &found));
        for (bool more = find.valid(); more; more = ::FindNextFileA(find.get(), &found))
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        std::sort(names.begin(), names.end());
        return names;
    }
    testing_support::TempDir dir_;
};

TEST_F(JobIdPublishing, WritesTheWholePathUnderTheIdWithoutTerminator)
{
    const std::string psPath = "C:\\users\\me\\AppData\\Roaming\\QUORPSFILES\\TEMP\\job-20240102-030405-1f.~ps";
    std::string published = PublishJobId(dir_.path(), 4242, psPath);
    EXPECT_EQ(published, dir_ / "4242");
    EXPECT_EQ(testing_support::ReadFileBytes(dir_ / "4242"), psPath);
    EXPECT_EQ(Files(), std::vector<std::string>{"4242"});
}

TEST_F(JobIdPublishing, TakesTheNextFreeNumberAndLeavesTakenOnesAlone)
{
    ASSERT_TRUE(testing_support::WriteFileBytes(dir_ / "4242", "older job"));
    ASSERT_TRUE(testing_support::WriteFileBytes(dir_ / "4243", "another"));
    EXPECT_EQ(PublishJobId(dir_.path(), 4242, "new"), dir_ / "4244");
    EXPECT_EQ(testing_support::ReadFileBytes(dir_ / "4242"), "older job");
    EXPECT_EQ(testing_support::ReadFileBytes(dir_ / "4243"), "another");
    EXPECT_EQ(testing_support::ReadFileBytes(dir_ / "4244"), "new");
    EXPECT_EQ(Files(), (std::vector<std::string>{"4242", "4243", "4244"}));
}

TEST_F(JobIdPublishing, FailsInAMissingFolderWithTheSystemsReason)
{
    EXPECT_EQ(PublishJobId(dir_ / "missing\\", 1, "x"), "");
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(Files().empty());
}

TEST_F(JobIdPublishing, NewFilesSkipTakenNames)
{
    ASSERT_TRUE(testing_support::WriteFileBytes(dir_ / "job-0.~ps", "taken"));
    std::string path;
    auto nameOf = [](int n) { return "job-" + std::to_string(n) + ".~ps"; };
    win::UniqueHandle file = CreateNewFile(dir_.path(), nameOf, path);
    ASSERT_TRUE(file);
    EXPECT_EQ(path, dir_ / "job-1.~ps");
    EXPECT_EQ(testing_support::ReadFileBytes(dir_ / "job-0.~ps"), "taken");
}

// A job goes to a batch only when its print program carried a token of a batch that still takes
// jobs; every other job, even while a batch runs, goes to the ordinary path.
TEST(RunningBatchToken, NeedsATokenWhoseBatchStillRuns)
{
    // A batch object of the test's own: a batch running in the same prefix must not disturb it.
    const std::string object = BatchObjectName(::GetCurrentProcessId(), 0x7e57);
    const std::string token = JobToken(object, 3);
    // The batch mutex alone tells nothing: another program printing during a batch has no token.
    win::UniqueHandle batchMutex(::CreateMutexA(nullptr, FALSE, folimar::kBatchMutexName));
    struct Case {
        const char* what;
        const char* variable; // null: not set
        bool objectExists;
        bool taken;
    } cases[] = {
        {"no token", nullptr, true, false},
        {"the token of a running batch", token.c_str(), true, true},
        {"the token of a batch that has ended", token.c_str(), false, false},
        {"a token naming another object", "FOLIMAR_MUTEX/0", true, false},
        {"an empty token", "", true, false},
    };
    for (const Case& c : cases) {
        win::UniqueHandle batch(c.objectExists ? ::CreateMutexA(nullptr, FALSE, object.c_str()) : nullptr);
        ::SetEnvironmentVariableA(kJobTokenVariable, c.variable);
        const std::optional<std::string> got = RunningBatchToken();
        EXPECT_EQ(got.has_value(), c.taken) << c.what;
        EXPECT_EQ(got.value_or(""), c.taken ? token : "") << c.what;
    }
    ::SetEnvironmentVariableA(kJobTokenVariable, nullptr);
}

TEST(BatchJobToken, NamesItsBatchObjectOnlyInTheFormABatchMakes)
{
    const std::string object = BatchObjectName(0x1c, 0xdeadbeef);
    EXPECT_EQ(object, "FOLIMAR_BATCH_1c_deadbeef");
    EXPECT_EQ(JobToken(object, 12), "FOLIMAR_BATCH_1c_deadbeef/12");
    EXPECT_EQ(BatchObjectOfToken(JobToken(object, 0)), object);
    for (const char* bad :
         {"", "FOLIMAR_BATCH_1c_deadbeef", "FOLIMAR_BATCH_1c_deadbeef/", "FOLIMAR_BATCH_1c_deadbeef/1x",
          "FOLIMAR_BATCH_1c/1", "FOLIMAR_BATCH__1/1", "FOLIMAR_BATCH_1c_dead\\beef/1", "FOLIMAR_BATCH_1c_123456789/1",
          "Global\\FOLIMAR_BATCH_1_2/1", "FOLIMAR_MUTEX/1", "FOLIMAR_BATCH_1_2/1234567890"})
        EXPECT_EQ(BatchObjectOfToken(bad), std::nullopt) << bad;
}

TEST(BatchJobName, IsTheFormThePortsGiveCapturedJobs)
{
    EXPECT_TRUE(IsCapturedJobName(JobFileStem("20240102030405", 0x1f, 0) + kCapturedJobExtension));
    EXPECT_TRUE(IsCapturedJobName(JobFileStem("20240102030405", 0xffffffff, 999) + kCapturedJobExtension));
    for (const char* bad : {"job-20240102-030405-1f.ps", "job-20240102-030405-1f.~ps.txt", "notes.~ps", "job-.~ps",
                            "job-2024010-030405-1f.~ps", "job-20240102-03040-1f.~ps", "job-20240102-030405-.~ps",
                            "job-20240102-030405-1g.~ps", "job-20240102-030405-1f-x.~ps",
                            "..\\job-20240102-030405-1f.~ps", "job-20240102-030405-123456789.~ps"})
        EXPECT_FALSE(IsCapturedJobName(bad)) << bad;
}

TEST(BatchJobIdFile, HoldsThePathAndTheTokenWhenThereIsOne)
{
    const TJobIdRecord withToken{"C:\\spool\\job-20240102-030405-1f.~ps", "FOLIMAR_BATCH_1_2/0"};
    EXPECT_EQ(JobIdFileText(withToken), "C:\\spool\\job-20240102-030405-1f.~ps\nFOLIMAR_BATCH_1_2/0");
    EXPECT_EQ(ParseJobIdFile(JobIdFileText(withToken)), withToken);
    // The Windows port monitor writes the path alone.
    const TJobIdRecord pathOnly{"C:\\spool\\job-20240102-030405-1f.~ps", ""};
    EXPECT_EQ(JobIdFileText(pathOnly), pathOnly.psPath);
    EXPECT_EQ(ParseJobIdFile(pathOnly.psPath), pathOnly);
}

TEST(ShellQuote, KeepsEveryCharacterLiteral)
{
    EXPECT_EQ(ShellQuote("/opt/my tools/folimar_port.exe"), "'/opt/my tools/folimar_port.exe'");
    EXPECT_EQ(ShellQuote("Z:\\build\\folimar.exe.so"), "'Z:\\build\\folimar.exe.so'");
    EXPECT_EQ(ShellQuote("it's $HOME"), "'it'\\''s $HOME'");
    EXPECT_EQ(ShellQuote(""), "''");
}

struct LayoutCase {
    const char* name;
    std::string text;
    PageSize size;
    std::vector<Page> pages;
};

class TextLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(TextLayout, LaysOutPages)
{
    EXPECT_EQ(PaginateText(GetParam().text, GetParam().size), GetParam().pages);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextLayout,
    ::testing::Values(LayoutCase{"empty", "", {80, 60}, {{}}},
                      LayoutCase{"line ends", "a\nb\r\nc\rd", {80, 60}, {{"a", "b", "c", "d"}}},
                      LayoutCase{"final line end adds no line", "a\n", {80, 60}, {{"a"}}},
                      LayoutCase{"blank lines count", "a\n\n\nb\n", {80, 60}, {{"a", "", "", "b"}}},
                      LayoutCase{"tabs", "\tx\nab\tc", {80, 60}, {{"        x", "ab      c"}}},
                      LayoutCase{"wrap", "abcdefg\nhi", {3, 60}, {{"abc", "def", "g", "hi"}}},
                      LayoutCase{"exact width", "abc", {3, 60}, {{"abc"}}},
                      LayoutCase{"full page", "1\n2\n3\n4\n5", {80, 2}, {{"1", "2"}, {"3", "4"}, {"5"}}},
                      LayoutCase{"wrap across pages", "abcdef", {2, 2}, {{"ab", "cd"}, {"ef"}}},
                      LayoutCase{"form feed", "a\fb\n\fc", {80, 60}, {{"a"}, {"b"}, {"c"}}},
                      LayoutCase{"form feeds make no blank page", "\fa\f\f", {80, 60}, {{"a"}}},
                      LayoutCase{"line end after a form feed", "a\f\nb", {80, 60}, {{"a"}, {"", "b"}}},
                      LayoutCase{"tiny size", "ab", {0, 0}, {{"a"}, {"b"}}},
                      // UTF-8: a column is a character, and a wrap never cuts one.
                      LayoutCase{"wide characters wrap by characters",
                                 "Caf\xC3\xA9 cr\xC3\xA8me",
                                 {4, 60},
                                 {{"Caf\xC3\xA9", " cr\xC3\xA8", "me"}}},
                      LayoutCase{"tabs count characters", "\xCE\xA9\tx", {80, 60}, {{"\xCE\xA9       x"}}},
                      LayoutCase{"characters of three bytes",
                                 "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",
                                 {2, 60},
                                 {{"\xE6\x97\xA5\xE6\x9C\xAC", "\xE8\xAA\x9E"}}}),
    CaseName());

TEST(Utf8TextOf, TakesTheByteOrderMarkOrValidUtf8AndLeavesOtherTextToTheCodePage)
{
    struct Case {
        const char* what;
        std::string bytes;
        std::optional<std::string> expected;
    } cases[] = {
        {"ASCII", "plain\r\n", "plain\r\n"},
        {"UTF-8", "Caf\xC3\xA9 cr\xC3\xA8me", "Caf\xC3\xA9 cr\xC3\xA8me"},
        {"byte-order mark dropped",
         "\xEF\xBB\xBF"
         "Caf\xC3\xA9",
         "Caf\xC3\xA9"},
        {"only the mark", "\xEF\xBB\xBF", ""},
        {"code page 1252", "Caf\xE9 cr\xE8me", std::nullopt},
        {"a cut UTF-8 character", "Caf\xC3", std::nullopt},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        const std::optional<std::string_view> got = Utf8TextOf(c.bytes);
        EXPECT_EQ(got ? std::optional<std::string>(*got) : std::nullopt, c.expected) << c.what;
    }
}

struct PrintArgsCase {
    const char* name;
    std::vector<std::string> args;
    bool valid;
    PrintTextArgs parsed;
};

class PrintTextCommandLine : public ::testing::TestWithParam<PrintArgsCase> {};

TEST_P(PrintTextCommandLine, TakesThePrintVerbAndTheOldForm)
{
    const PrintArgsCase& c = GetParam();
    std::optional<PrintTextArgs> parsed = ParsePrintTextArgs(c.args);
    ASSERT_EQ(parsed.has_value(), c.valid);
    if (!parsed)
        return;
    EXPECT_EQ(parsed->file, c.parsed.file);
    EXPECT_EQ(parsed->printer, c.parsed.printer);
    EXPECT_EQ(parsed->printVerb, c.parsed.printVerb);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, PrintTextCommandLine,
    ::testing::Values(PrintArgsCase{"verb", {"/p", "C:\\docs\\a b.txt"}, true, {"C:\\docs\\a b.txt", "", true}},
                      PrintArgsCase{"verb upper", {"/P", "a.txt"}, true, {"a.txt", "", true}},
                      PrintArgsCase{"verb dash", {"-p", "a.txt"}, true, {"a.txt", "", true}},
                      PrintArgsCase{"verb dash upper", {"-P", "a.txt"}, true, {"a.txt", "", true}},
                      PrintArgsCase{"file", {"/tmp/note.txt"}, true, {"/tmp/note.txt", "", false}},
                      PrintArgsCase{"file and printer",
                                    {"/tmp/note.txt", "Quorvel Virtual Printer"},
                                    true,
                                    {"/tmp/note.txt", "Quorvel Virtual Printer", false}},
                      PrintArgsCase{"unix path like the switch", {"/print.txt", "P"}, true, {"/print.txt", "P", false}},
                      PrintArgsCase{"nothing", {}, false, {}}, PrintArgsCase{"verb without file", {"/p"}, false, {}},
                      PrintArgsCase{"verb with two files", {"/p", "a.txt", "b.txt"}, false, {}},
                      PrintArgsCase{"verb with empty file", {"/p", ""}, false, {}},
                      PrintArgsCase{"empty file", {""}, false, {}},
                      PrintArgsCase{"empty printer", {"a.txt", ""}, false, {}},
                      PrintArgsCase{"three words", {"a.txt", "P", "x"}, false, {}}),
    CaseName());

struct DdeCase {
    const char* name;
    std::string text;
    bool valid;
    DdeCommand::Verb verb;
    std::string path;
};

class DdeCommandText : public ::testing::TestWithParam<DdeCase> {};

TEST_P(DdeCommandText, ReadsPrintAndOpen)
{
    const DdeCase& c = GetParam();
    std::optional<DdeCommand> command = ParseDdeCommand(c.text);
    ASSERT_EQ(command.has_value(), c.valid) << c.text;
    if (!command)
        return;
    EXPECT_EQ(command->verb, c.verb);
    EXPECT_EQ(command->path, c.path);
}

using Verb = DdeCommand::Verb;
INSTANTIATE_TEST_SUITE_P(
    Commands, DdeCommandText,
    ::testing::Values(
        DdeCase{"print", "[print(\"C:\\doc.txt\")]", true, Verb::Print, "C:\\doc.txt"},
        DdeCase{"open", "[open(\"C:\\doc.txt\")]", true, Verb::Open, "C:\\doc.txt"},
        DdeCase{"verb case", "[Print(\"a\")]", true, Verb::Print, "a"},
        DdeCase{"blanks around parts", "  [ print ( \"a\" ) ]\r\n", true, Verb::Print, "a"},
        // The path is kept byte for byte: blanks, percent signs and UTF-8 letters.
        DdeCase{"spaces in path", "[print(\"Z:\\my docs\\a  b .txt\")]", true, Verb::Print, "Z:\\my docs\\a  b .txt"},
        DdeCase{"percent", "[print(\"C:\\100% sure %1.txt\")]", true, Verb::Print, "C:\\100% sure %1.txt"},
        DdeCase{"non-latin", "[print(\"C:\\\xCE\xA9mega\xE6\x97\xA5.txt\")]", true, Verb::Print,
                "C:\\\xCE\xA9mega\xE6\x97\xA5.txt"},
        DdeCase{"brackets in path", "[print(\"C:\\a(1)[2].txt\")]", true, Verb::Print, "C:\\a(1)[2].txt"},
        DdeCase{"empty", "", false, Verb::Print, ""}, DdeCase{"no brackets", "print(\"a\")", false, Verb::Print, ""},
        DdeCase{"missing closing bracket", "[print(\"a\")", false, Verb::Print, ""},
        DdeCase{"missing closing quote", "[print(\"a)]", false, Verb::Print, ""},
        DdeCase{"missing opening quote", "[print(a\")]", false, Verb::Print, ""},
        DdeCase{"unquoted", "[print(a)]", false, Verb::Print, ""},
        DdeCase{"missing parenthesis", "[print(\"a\"]", false, Verb::Print, ""},
        DdeCase{"empty path", "[print(\"\")]", false, Verb::Print, ""},
        DdeCase{"quote in path", "[print(\"a\"b\")]", false, Verb::Print, ""},
        DdeCase{"unknown verb", "[printto(\"a\")]", false, Verb::Print, ""},
        DdeCase{"second command", "[open(\"a\")][print(\"b\")]", false, Verb::Print, ""},
        DdeCase{"trailing text", "[print(\"a\")] now", false, Verb::Print, ""}),
    CaseName());

// What the batch's print-command lookup reads back: the exact keys and texts.
TEST(PrintProgramRegistration, MakesTextAndDdeTypesPrintWithTheirPrograms)
{
    const std::string text = "Z:\\build\\tools\\print_text.exe.so";
    const std::string dde = "Z:\\build\\tools\\print_dde.exe.so";
    std::vector<std::pair<std::string, std::string>> written;
    for (const RegistryValue& value : PrintProgramEntries(text, dde)) {
        EXPECT_EQ(value.name, "") << value.key << ": only default values are read";
        written.emplace_back(value.key, value.data);
    }
    const std::vector<std::pair<std::string, std::string>> expected = {
        {".txt", "Quorvel.TextDocument"},
        {"Quorvel.TextDocument", "Text Document"},
        {"Quorvel.TextDocument\\shell\\print\\command", "\"Z:\\build\\tools\\print_text.exe.so\" /p \"%1\""},
        {".qdde", "Quorvel.DdeDocument"},
        {"Quorvel.DdeDocument", "Quorvel DDE Document"},
        {"Quorvel.DdeDocument\\shell\\print\\command", "\"Z:\\build\\tools\\print_dde.exe.so\""},
        {"Quorvel.DdeDocument\\shell\\print\\ddeexec", "[print(\"%1\")]"},
        {"Quorvel.DdeDocument\\shell\\print\\ddeexec\\Application", "QuorvelPrint"},
        {"Quorvel.DdeDocument\\shell\\print\\ddeexec\\Topic", "System"},
    };
    EXPECT_EQ(written, expected);
}

// The registered DDE command, filled in as the batch fills it in, is one the server takes.
TEST(PrintProgramRegistration, DdeCommandIsOneTheServerTakes)
{
    for (const RegistryValue& value : PrintProgramEntries("a", "b")) {
        if (value.key.size() < 8 || value.key.substr(value.key.size() - 8) != "\\ddeexec")
            continue;
        std::string command = value.data;
        command.replace(command.find("%1"), 2, "C:\\docs\\r\xE9sum\xE9 50%.qdde");
        std::optional<DdeCommand> parsed = ParseDdeCommand(command);
        ASSERT_TRUE(parsed) << command;
        EXPECT_EQ(parsed->verb, Verb::Print);
        EXPECT_EQ(parsed->path, "C:\\docs\\r\xE9sum\xE9 50%.qdde");
        return;
    }
    FAIL() << "no ddeexec value";
}

std::optional<driver::Command> Parse(std::vector<std::string> args, std::string& error)
{
    return driver::ParseCommand(args, error);
}

TEST(DriverArguments, ParsesCommandsAndOptions)
{
    std::string error;
    auto wait = Parse({"wait-window", "TfrmMain", "--pid", "42", "--timeout", "5"}, error);
    ASSERT_TRUE(wait) << error;
    EXPECT_EQ(wait->name, "wait-window");
    EXPECT_EQ(wait->operands, std::vector<std::string>{"TfrmMain"});
    EXPECT_EQ(wait->pid, 42u);
    EXPECT_EQ(wait->timeoutMs, 5000);
    EXPECT_FALSE(wait->waitExit);

    auto byTitle = Parse({"wait-window", "--title", "Quorvel Folimar"}, error);
    ASSERT_TRUE(byTitle) << error;
    EXPECT_TRUE(byTitle->operands.empty());
    EXPECT_EQ(byTitle->title, "Quorvel Folimar");
    EXPECT_EQ(byTitle->timeoutMs, driver::kDefaultTimeoutMs);

    auto close = Parse({"close", "TfrmMain_1", "--wait-exit"}, error);
    ASSERT_TRUE(close) << error;
    EXPECT_TRUE(close->waitExit);

    auto exit = Parse({"wait-exit", "77"}, error);
    ASSERT_TRUE(exit) << error;
    EXPECT_EQ(exit->pid, 77u);

    // The program's arguments are the program's, options included.
    auto launch = Parse({"launch", "folimar.exe.so", "--pid", "x y"}, error);
    ASSERT_TRUE(launch) << error;
    EXPECT_EQ(launch->operands, (std::vector<std::string>{"folimar.exe.so", "--pid", "x y"}));
    auto raw = Parse({"launch-raw", "folimar.exe.so", "\"a\" \"b\""}, error);
    ASSERT_TRUE(raw) << error;
    EXPECT_EQ(raw->operands[1], "\"a\" \"b\"");

    auto drop = Parse({"drop", "TfrmMain_1", "107", "Z:\\a.txt", "Z:\\b.ps", "--pid", "9"}, error);
    ASSERT_TRUE(drop) << error;
    EXPECT_EQ(drop->operands, (std::vector<std::string>{"TfrmMain_1", "107", "Z:\\a.txt", "Z:\\b.ps"}));
    EXPECT_EQ(drop->pid, 9u);
    // What the shell hands a recorder is the recorder's, options included.
    auto record = Parse({"record", "Z:\\rec.txt", "--timeout", "x"}, error);
    ASSERT_TRUE(record) << error;
    EXPECT_EQ(record->operands, (std::vector<std::string>{"Z:\\rec.txt", "--timeout", "x"}));

    auto quit = Parse({"post-quit", "284", "--wait-exit", "--timeout", "9"}, error);
    ASSERT_TRUE(quit) << error;
    EXPECT_EQ(quit->pid, 284u);
    EXPECT_TRUE(quit->waitExit);
    EXPECT_EQ(quit->timeoutMs, 9000);
    auto dde = Parse({"dde-execute", "QuorvelPrint", "System", "[print(\"Z:\\a b.txt\")]", "--timeout", "3"}, error);
    ASSERT_TRUE(dde) << error;
    EXPECT_EQ(dde->operands, (std::vector<std::string>{"QuorvelPrint", "System", "[print(\"Z:\\a b.txt\")]"}));
    EXPECT_EQ(dde->timeoutMs, 3000);
}

TEST(DriverArguments, RefusesWhatItCannotDo)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"wait-window"},                             // neither class nor title
        {"wait-window", "TfrmMain", "--title", "x"}, // both
        {"wait-window", "TfrmMain", "--pid"},        // option without its value
        {"wait-window", "TfrmMain", "--pid", "0"},
        {"wait-window", "TfrmMain", "--pid", "12x"},
        {"wait-window", "TfrmMain", "--timeout", "-1"},
        {"wait-window", "TfrmMain", "--timeout", "soon"},
        {"wait-window", "TfrmMain", "--wait-exit"}, // not an option of this command
        {"wait-window", "TfrmMain", "--verbose"},
        {"text", "TfrmMain"},
        {"click", "TfrmMain", "Convert", "extra"},
        {"launch"},
        {"launch-raw", "folimar.exe.so"},
        {"wait-exit", "abc"},
        {"kill", "0"},
        {"drop", "TfrmMain_1", "107"},  // nothing to drop
        {"rows", "TfrmMain_1"},         // no control
        {"set-text", "#32770", "1148"}, // no text
        {"record"},                     // no file
        {"post-quit"},
        {"post-quit", "x1"},
        {"post-quit", "12", "--pid", "12"},
        {"dde-execute", "QuorvelPrint", "System"}, // no command
        {"dde-execute", "QuorvelPrint", "System", "[open(\"a\")]", "--wait-exit"},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(Parse(args, error)) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(error.empty());
    }
}

TEST(DriverArguments, NamesWindowsAndControls)
{
    EXPECT_EQ(driver::ParseWindowSpec("0x1004e").handle, 0x1004eu);
    EXPECT_EQ(driver::ParseWindowSpec("TfrmMain").className, "TfrmMain");
    EXPECT_EQ(driver::ParseWindowSpec("0x").className, "0x");
    EXPECT_EQ(driver::ParseWindowSpec("0xZZ").className, "0xZZ");

    using Kind = driver::ControlSpec::Kind;
    driver::ControlSpec id = driver::ParseControlSpec("104");
    EXPECT_EQ(id.kind, Kind::Id);
    EXPECT_EQ(id.id, 104);
    driver::ControlSpec nth = driver::ParseControlSpec("Edit#2");
    EXPECT_EQ(nth.kind, Kind::ClassIndex);
    EXPECT_EQ(nth.className, "Edit");
    EXPECT_EQ(nth.index, 2);
    EXPECT_EQ(driver::ParseControlSpec("&Convert").text, "Convert");
    EXPECT_EQ(driver::ParseControlSpec("Page #0").kind, Kind::Text);
    EXPECT_EQ(driver::ParseControlSpec("#3").kind, Kind::Text);
    EXPECT_EQ(driver::ParseControlSpec("Report #").kind, Kind::Text);
}

TEST(DriverArguments, KeysAsAUserTypesThem)
{
    struct Case {
        const char* text;
        uint16_t vk;
        bool shift, ctrl, alt;
    } cases[] = {
        {"tab", 0x09, false, false, false},
        {"shift+tab", 0x09, true, false, false},
        {"enter", 0x0D, false, false, false},
        {"esc", 0x1B, false, false, false},
        {"alt+c", 'C', false, false, true},
        {"ctrl+shift+7", '7', true, true, false},
        {"alt", 0x12, false, false, false},
        {"space", 0x20, false, false, false},
        {"delete", 0x2E, false, false, false},
        {"f1", 0x70, false, false, false},
        {"shift+f1", 0x70, true, false, false},
        // Nothing a keyboard has: no key at all.
        {"", 0, false, false, false},
        {"tabs", 0, false, false, false},
        {"meta+c", 0, false, false, false},
        {"C", 0, false, false, false},
        {"alt+", 0, false, false, false},
    };
    for (const Case& c : cases) {
        driver::KeyStroke key = driver::ParseKeyStroke(c.text);
        EXPECT_EQ(key.vk, c.vk) << c.text;
        if (c.vk) {
            EXPECT_EQ(key.shift, c.shift) << c.text;
            EXPECT_EQ(key.ctrl, c.ctrl) << c.text;
            EXPECT_EQ(key.alt, c.alt) << c.text;
        }
    }
}

TEST(DriverArguments, ShowsTextsAsUsersReadThem)
{
    EXPECT_EQ(driver::WithoutAccessMarks("&Yes"), "Yes");
    EXPECT_EQ(driver::WithoutAccessMarks("Save && close"), "Save & close");
    EXPECT_EQ(driver::WithoutAccessMarks("trailing&"), "trailing&");
    EXPECT_EQ(driver::OneLine("two\r\nlines"), "two\\r\\nlines");
    EXPECT_EQ(driver::QuotedCommandLine({"Z:\\a b\\folimar.exe.so", "x", ""}),
              "\"Z:\\a b\\folimar.exe.so\" \"x\" \"\"");
}

} // namespace
