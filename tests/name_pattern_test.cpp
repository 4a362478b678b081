// The auto-save name pattern: what each field makes, the cleaning of titles, the refusals the
// dialog shows, and the choice of a free path.
#include "tests/gtest_win.h"

#include "settings/name_pattern.h"

#include <set>
#include <string>

using namespace folimar;

namespace {

const TNameFields kFields{"Report: Q1/Q2", "2026-12-11", "09-05-07", "josé"};

TEST(ExpandNamePattern, FieldsAndCleaning)
{
    struct Case {
        const char* pattern;
        TNameFields fields;
        int counter;
        const char* name;
    } cases[] = {
        {"<Title>", kFields, 1, "Report_ Q1-Q2"},
        {"<Date> <Time> <Title>", kFields, 1, "2026-12-11 09-05-07 Report_ Q1-Q2"},
        {"<User>-<Counter>", kFields, 12, "josé-12"},
        {"scan", kFields, 1, "scan"},
        {"<title>_<DATE>", kFields, 1, "Report_ Q1-Q2_2026-12-11"}, // field names in any case
        // The title is cleaned as the proposed output name is: cut to 30 characters, devices made safe.
        {"<Title>", {"A title far longer than thirty characters", "", "", ""}, 1, "A title far longer than thirty"},
        {"<Title>", {"aux", "", "", ""}, 1, "aux_"},
        {"<Title>", {"\"quoted\" <a|b>", "", "", ""}, 1, "'quoted' (a-b)"},
        // A title that cleans to nothing stands as "Document", also inside a longer name.
        {"<Title>", {"", "", "", ""}, 1, "Document"},
        {"<Title>", {"*?**", "", "", ""}, 1, "Document"},
        {"<Title>", {" . .", "", "", ""}, 1, "Document"},
        {"<Date> <Title>", {"??", "2026-12-11", "", ""}, 1, "2026-12-11 Document"},
        {"<User>", {"", "", "", ""}, 1, "Document"},
        // A user's name that is a device's is made safe as a title is.
        {"<User>", {"", "", "", "con"}, 1, "con_"},
        // A pattern that cannot make names (a hand-edited file) is taken as "<Title>".
        {"<Bogus>", kFields, 1, "Report_ Q1-Q2"},
        {"a:b", kFields, 1, "Report_ Q1-Q2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpandNamePattern(c.pattern, c.fields, c.counter), c.name) << c.pattern << " / " << c.fields.title;
}

TEST(DateAndTimeFields, PaddedWithDashes)
{
    EXPECT_EQ(DateField(2026, 1, 5), "2026-01-05");
    EXPECT_EQ(TimeField(7, 3, 9), "07-03-09");
    EXPECT_EQ(TimeField(23, 59, 59), "23-59-59");
}

TEST(NamePatternProblem, RefusesWhatCannotMakeAName)
{
    const std::string folder = "C:\\users\\me\\Documents\\";
    struct Case {
        const char* pattern;
        const char* problem; // a part of the reason; empty: accepted
    } cases[] = {
        {"<Title>", ""},
        {"<Date> <Time> <User> <Counter> <Title>", ""},
        {"Scan <Counter>", ""},
        {"CONSOLE", ""}, // a device's name only when whole
        {"", "makes no file name"},
        {"   ", "makes no file name"},
        {"..", "makes no file name"},
        {"CON", "is the name of a Windows device"},
        {"nul", "is the name of a Windows device"},
        {"LPT1.backup", "is the name of a Windows device"},
        {"a/b", "cannot hold"},
        {"a\\b", "cannot hold"},
        {"x:<Title>", "cannot hold"},
        {"<Title>?", "cannot hold"},
        {"\"<Title>\"", "cannot hold"},
        {"<Title>|<Date>", "cannot hold"},
        {"tab\there", "cannot hold"},
        {"<Titel>", "<Titel> is no field"},
        {"<>", "<> is no field"},
        {"<Title", "opens no field"},
        {"a > b", "cannot hold"},
        // Long text: the longest title, the highest number and ".pdf" must fit the path.
        {"<Title>", ""},
    };
    for (const Case& c : cases) {
        const std::string problem = NamePatternProblem(c.pattern, folder, "me");
        if (*c.problem == '\0')
            EXPECT_EQ(problem, "") << c.pattern;
        else
            EXPECT_NE(problem.find(c.problem), std::string::npos) << c.pattern << ": " << problem;
    }
}

TEST(NamePatternProblem, NamesMustFitThePathLimit)
{
    // The longest name of "<Title>" is 30 characters, " (9999)" and ".pdf": 41 in all.
    const std::string title = "<Title>";
    const std::string fits(kMaxPathUnits - 41, 'f');
    EXPECT_EQ(NamePatternProblem(title, fits, "me"), "");
    EXPECT_NE(NamePatternProblem(title, fits + "f", "me").find("too long"), std::string::npos);
    // Characters, not bytes: a folder of two-byte letters fits as well.
    std::string wide;
    for (size_t i = 0; i < fits.size(); ++i)
        wide += "é";
    EXPECT_EQ(NamePatternProblem(title, wide, "me"), "");
    // Literal text counts in full, and a counter needs no " (n)".
    EXPECT_NE(NamePatternProblem(std::string(250, 'x'), "C:\\", "me").find("too long"), std::string::npos);
    EXPECT_EQ(NamePatternProblem(std::string(kMaxPathUnits - 3 - 4 - 4, 'x') + "<Counter>", "C:\\", "me"), "");
}

TEST(AutoSavePath, NewNameNumbersOverwriteReplacesCounterCounts)
{
    const std::string folder = "D:\\PDF\\";
    struct Case {
        const char* pattern;
        bool overwrite;
        std::set<std::string> existing;
        const char* path;
    } cases[] = {
        {"<Title>", false, {}, "D:\\PDF\\Report_ Q1-Q2.pdf"},
        {"<Title>", false, {"D:\\PDF\\Report_ Q1-Q2.pdf"}, "D:\\PDF\\Report_ Q1-Q2 (2).pdf"},
        {"<Title>",
         false,
         {"D:\\PDF\\Report_ Q1-Q2.pdf", "D:\\PDF\\Report_ Q1-Q2 (2).pdf"},
         "D:\\PDF\\Report_ Q1-Q2 (3).pdf"},
        {"<Title>", true, {"D:\\PDF\\Report_ Q1-Q2.pdf"}, "D:\\PDF\\Report_ Q1-Q2.pdf"},
        {"Scan <Counter>", false, {}, "D:\\PDF\\Scan 1.pdf"},
        {"Scan <Counter>", false, {"D:\\PDF\\Scan 1.pdf", "D:\\PDF\\Scan 2.pdf"}, "D:\\PDF\\Scan 3.pdf"},
        // The counter makes the name unique also where taken names would be replaced.
        {"Scan <Counter>", true, {"D:\\PDF\\Scan 1.pdf"}, "D:\\PDF\\Scan 2.pdf"},
    };
    for (const Case& c : cases) {
        auto taken = [&](const std::string& path) { return c.existing.count(path) != 0; };
        EXPECT_EQ(AutoSavePath(folder, c.pattern, kFields, c.overwrite, taken), c.path) << c.pattern;
    }
    // Every name taken: no path rather than one that replaces a file in "New name" mode.
    EXPECT_EQ(AutoSavePath(folder, "<Title>", kFields, false, [](const std::string&) { return true; }), "");
}

} // namespace
