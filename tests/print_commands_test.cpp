// Print-command execution: the commands made from the templates, the DDE target, the hidden
// print process and how it is ended (the DDE execute: dde_execute_test.cpp).
#include "tests/gtest_win.h"

#include "batch/pipeline/print_commands.h"
#include "files/folders.h"
#include "files/text_rules.h"
#include "tests/print_app_stub.h"
#include "tests/temp_dir.h"
#include "win/program_path.h"

#include <map>
#include <optional>
#include <string>

using namespace folimar;
using testing_support::ReadFileBytes;
using testing_support::StubProgram;
using testing_support::TempDir;

namespace {

TEST(FillDocumentPath, ReplacesEveryPlaceholderWithThePathAsItIs)
{
    struct Case {
        const char* text;
        const char* path;
        const char* filled;
    } cases[] = {
        {"", "C:\\a.doc", ""},
        {"%1", "C:\\a.doc", "C:\\a.doc"},
        {"p.exe \"%1\" /p", "C:\\my docs\\a.doc", "p.exe \"C:\\my docs\\a.doc\" /p"},
        {"%1%1", "x", "xx"},
        {"p %2 %%1 %", "x", "p %2 %x %"},
        {"p %1", "C:\\%1\\a", "p C:\\%1\\a"}, // the path itself is not searched
        {"p %1", "", "p "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FillDocumentPath(c.text, c.path), c.filled) << c.text << " / " << c.path;
}

// Expands the few variables it knows, leaves others as they are and fails where "%TOOLONG%" is,
// as the real expansion fails on text that does not fit its buffer.
std::optional<std::string> FakeExpand(const std::string& text)
{
    static const std::map<std::string, std::string> variables = {
        {"%APPS%", "C:\\Apps"},
        {"%OPENER%", "open.exe %1"},
    };
    if (text.find("%TOOLONG%") != std::string::npos)
        return std::nullopt;
    std::string expanded = text;
    for (const auto& [name, value] : variables) {
        for (size_t at; (at = expanded.find(name)) != std::string::npos;)
            expanded.replace(at, name.size(), value);
    }
    return expanded;
}

TEST(BuildPrintCommandsWith, PrintableWhenTheCommandLineOrTheDdeCommandNamesTheDocument)
{
    const std::string doc = "C:\\docs\\a.doc";
    struct Case {
        const char* what;
        const char* command;
        const char* dde;
        std::string path;
        TPrintCommands expected;
    } cases[] = {
        {"no command template, nothing else done", "", "[print(\"%1\")]", doc, {"", "", false}},
        {"command names the document", "p.exe /p \"%1\"", "", doc, {"p.exe /p \"C:\\docs\\a.doc\"", "", true}},
        {"expanded, then filled", "%APPS%\\p.exe %1", "", doc, {"C:\\Apps\\p.exe C:\\docs\\a.doc", "", true}},
        {"every placeholder filled", "p.exe %1 %1", "", doc, {"p.exe C:\\docs\\a.doc C:\\docs\\a.doc", "", true}},
        {"a variable that names the document", "%OPENER%", "", doc, {"open.exe C:\\docs\\a.doc", "", true}},
        {"a further placeholder", "p.exe %1 %2", "", doc, {"p.exe C:\\docs\\a.doc %2", "", false}},
        {"a further placeholder, printed through DDE",
         "p.exe %1 %2",
         "[open(\"%1\")]",
         doc,
         {"p.exe C:\\docs\\a.doc %2", "[open(\"C:\\docs\\a.doc\")]", true}},
        {"a path with % is the real name",
         "p.exe \"%1\"",
         "",
         "C:\\100%\\a.doc",
         {"p.exe \"C:\\100%\\a.doc\"", "", true}},
        {"a name like a variable stays as it is",
         "p.exe \"%1\"",
         "",
         "C:\\d\\%APPS%.txt",
         {"p.exe \"C:\\d\\%APPS%.txt\"", "", true}},
        {"a path with %, also through DDE",
         "p.exe \"%1\"",
         "[print(\"%1\")]",
         "C:\\100%\\a.doc",
         {"p.exe \"C:\\100%\\a.doc\"", "[print(\"C:\\100%\\a.doc\")]", true}},
        {"a path holding the placeholder", "p.exe %1", "", "C:\\%1\\a", {"p.exe C:\\%1\\a", "", true}},
        {"a path with %, named only through DDE",
         "p.exe /dde",
         "[print(\"%1\")]",
         "C:\\100%\\a.doc",
         {"p.exe /dde", "[print(\"C:\\100%\\a.doc\")]", true}},
        {"%% before the placeholder", "p.exe %%1", "", doc, {"p.exe %C:\\docs\\a.doc", "", false}},
        {"neither names the document", "p.exe /p", "", doc, {"p.exe /p", "", false}},
        {"the DDE command names it",
         "p.exe /dde",
         "[print(\"%1\")]",
         doc,
         {"p.exe /dde", "[print(\"C:\\docs\\a.doc\")]", true}},
        {"a DDE variable counts as a change",
         "p.exe /dde",
         "[print(%APPS%)]",
         doc,
         {"p.exe /dde", "[print(C:\\Apps)]", true}},
        {"an unknown DDE variable stays",
         "p.exe /dde",
         "[print(%NOSUCH%)]",
         doc,
         {"p.exe /dde", "[print(%NOSUCH%)]", false}},
        {"a DDE command without change", "p.exe /dde", "[print()]", doc, {"p.exe /dde", "[print()]", false}},
        {"a command that does not fit", "%TOOLONG% %1", "[print(\"%1\")]", doc, {"", "", false}},
        {"a DDE command that does not fit", "p.exe /dde", "[print(\"%1\")]%TOOLONG%", doc, {"p.exe /dde", "", false}},
        {"a DDE command that does not fit beside a good command",
         "p.exe %1",
         "%TOOLONG%",
         doc,
         {"p.exe C:\\docs\\a.doc", "", true}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildPrintCommandsWith(c.command, c.dde, c.path, FakeExpand), c.expected) << c.what;
}

TEST(BuildPrintCommandsWith, ExpandsNoEmptyTemplate)
{
    int expansions = 0;
    auto counting = [&expansions](const std::string& text) {
        ++expansions;
        return std::optional<std::string>(text);
    };
    BuildPrintCommandsWith("p.exe %1", "", "a", counting);
    EXPECT_EQ(expansions, 1);
    BuildPrintCommandsWith("", "[x]", "a", counting);
    EXPECT_EQ(expansions, 1);
}

// The real expansion and its 1024-byte buffer (1023 characters and the zero).
class ExpandEnvironmentTest : public testing::Test {
protected:
    static constexpr char kVariable[] = "FOLIMAR_TEST_EXPANSION";

    void TearDown() override { ::SetEnvironmentVariableA(kVariable, nullptr); }
};

TEST_F(ExpandEnvironmentTest, ExpandsWhatFitsAndRefusesTheRest)
{
    ASSERT_TRUE(::SetEnvironmentVariableA(kVariable, "C:\\Print Apps"));
    EXPECT_EQ(ExpandEnvironment("\"%FOLIMAR_TEST_EXPANSION%\\p.exe\" %1 %NO_SUCH_VARIABLE%"),
              "\"C:\\Print Apps\\p.exe\" %1 %NO_SUCH_VARIABLE%");
    EXPECT_EQ(ExpandEnvironment(""), "");

    const std::string fits(kExpandedCommandBytes - 1, 'x');
    EXPECT_EQ(ExpandEnvironment(fits), fits);
    EXPECT_EQ(ExpandEnvironment(fits + "y"), std::nullopt);

    const std::string value(kExpandedCommandBytes - 5, 'v');
    ASSERT_TRUE(::SetEnvironmentVariableA(kVariable, value.c_str()));
    EXPECT_EQ(ExpandEnvironment("%FOLIMAR_TEST_EXPANSION%"), value);
    EXPECT_EQ(ExpandEnvironment("p.exe %FOLIMAR_TEST_EXPANSION% /print %1"), std::nullopt);

    // The command that does not fit is not printed, not cut.
    const TPrintCommands commands = BuildPrintCommands("p.exe %FOLIMAR_TEST_EXPANSION% /print \"%1\"", "", "C:\\a.doc");
    EXPECT_FALSE(commands.printable);
    EXPECT_EQ(commands.commandLine, "");
}

TEST(DdeTargetFor, GivesTheShellsDefaultsForWhatTheTypeLeavesEmpty)
{
    struct Case {
        const char* commandLine;
        const char* application;
        const char* topic;
        TDdeTarget expected;
    } cases[] = {
        {"\"C:\\Program Files\\Word\\winword.exe\" /p \"C:\\a.doc\"", "", "", {"winword", "System"}},
        {"notepad.exe /p C:\\a.txt", "", "", {"notepad", "System"}},
        {"  C:\\tools.d\\prog /p", "", "", {"prog", "System"}},
        {"\"C:\\a b\\x.y.exe\"", "", "", {"x.y", "System"}},
        {"\"C:\\unterminated\\app.exe", "", "", {"app", "System"}},
        {"C:/forward/slash.exe\t/p", "", "", {"slash", "System"}},
        {"plain", "", "", {"plain", "System"}},
        {"", "", "", {"", "System"}},
        {"p.exe /p", "WinWord", "", {"WinWord", "System"}},
        {"p.exe /p", "", "Print", {"p", "Print"}},
        {"p.exe /p", "App", "Topic", {"App", "Topic"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DdeTargetFor(c.commandLine, c.application, c.topic), c.expected) << c.commandLine;
}

// A running print application: started through StartPrintCommand, ready once its message queue
// exists; the test keeps a handle of its own to see the process end.
class PrintProcessTest : public testing::Test {
protected:
    TempDir dir;
    std::string marker;
    TPrintProcess app;
    win::UniqueHandle watch;

    // ignoreQuit: an application that never takes WM_QUIT.
    void StartWaitingApp(bool ignoreQuit = false)
    {
        ASSERT_TRUE(dir.valid());
        marker = dir / "quit.txt";
        const std::string eventName = "FolimarPrintAppReady" + std::to_string(::GetCurrentProcessId());
        win::UniqueHandle ready(::CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
        ASSERT_TRUE(ready);
        const std::string command =
            "\"" + StubProgram() + "\" " + (ignoreQuit ? "ignore " + eventName : eventName + " \"" + marker + "\"");
        ASSERT_TRUE(StartPrintCommand(command, app)) << command << ": error " << ::GetLastError();
        ASSERT_NO_FATAL_FAILURE(KeepWatch());
        const HANDLE waits[] = {ready.get(), watch.get()};
        ASSERT_EQ(::WaitForMultipleObjects(2, waits, FALSE, 30000), WAIT_OBJECT_0) << "the application never got ready";
    }

    // An application a failed test left running would keep the test run waiting for its output.
    void TearDown() override
    {
        if (watch && ::WaitForSingleObject(watch.get(), 0) == WAIT_TIMEOUT)
            ::TerminateProcess(watch.get(), 99);
    }

    void KeepWatch()
    {
        ASSERT_TRUE(app.process);
        ASSERT_TRUE(app.thread);
        ASSERT_NE(app.threadId, 0u);
        HANDLE copy = nullptr;
        ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), app.process.get(), ::GetCurrentProcess(), &copy,
                                      SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, 0));
        watch.reset(copy);
    }

    DWORD ExitCodeAfterEnd()
    {
        EXPECT_EQ(::WaitForSingleObject(watch.get(), 30000), WAIT_OBJECT_0) << "the application did not end";
        DWORD code = STILL_ACTIVE;
        EXPECT_TRUE(::GetExitCodeProcess(watch.get(), &code));
        return code;
    }

    void ExpectClosed(HANDLE process, HANDLE thread)
    {
        EXPECT_FALSE(app.process);
        EXPECT_FALSE(app.thread);
        EXPECT_EQ(app.threadId, 0u);
        DWORD flags = 0;
        EXPECT_FALSE(::GetHandleInformation(process, &flags)) << "process handle left open";
        EXPECT_FALSE(::GetHandleInformation(thread, &flags)) << "thread handle left open";
    }
};

TEST_F(PrintProcessTest, QuitReachesARunningApplicationStartedHidden)
{
    ASSERT_NO_FATAL_FAILURE(StartWaitingApp());
    const HANDLE process = app.process.get(), thread = app.thread.get();
    EndPrintCommand(app, false);
    ExpectClosed(process, thread);
    EXPECT_EQ(ExitCodeAfterEnd(), 0u);
    EXPECT_EQ(ReadFileBytes(marker),
              "flags " + std::to_string(STARTF_USESHOWWINDOW) + " show " + std::to_string(SW_HIDE));
}

TEST_F(PrintProcessTest, KillEndsTheApplicationWithExitCode1)
{
    ASSERT_NO_FATAL_FAILURE(StartWaitingApp());
    const HANDLE process = app.process.get(), thread = app.thread.get();
    EndPrintCommand(app, true);
    ExpectClosed(process, thread);
    EXPECT_EQ(ExitCodeAfterEnd(), 1u);
    EXPECT_FALSE(FileExists(marker)) << "the application went through its own end";
}

TEST_F(PrintProcessTest, AnApplicationThatIgnoresQuitIsEndedAfterTheWait)
{
    ASSERT_NO_FATAL_FAILURE(StartWaitingApp(true));
    const HANDLE process = app.process.get(), thread = app.thread.get();
    EndPrintCommand(app, false, 300);
    ExpectClosed(process, thread);
    EXPECT_EQ(ExitCodeAfterEnd(), 1u);
}

TEST_F(PrintProcessTest, AnApplicationThatEndedByItselfOnlyHasItsHandlesClosed)
{
    ASSERT_TRUE(StartPrintCommand("\"" + StubProgram() + "\" exit 7", app));
    ASSERT_NO_FATAL_FAILURE(KeepWatch());
    ASSERT_EQ(ExitCodeAfterEnd(), 7u);
    const HANDLE process = app.process.get(), thread = app.thread.get();
    EndPrintCommand(app, false);
    ExpectClosed(process, thread);
}

TEST_F(PrintProcessTest, AProgramThatDoesNotExistIsNotStarted)
{
    EXPECT_FALSE(StartPrintCommand("\"C:\\no such folder\\no such program.exe\" /p \"C:\\a.doc\"", app));
    EXPECT_FALSE(StartPrintCommand("", app));
    EXPECT_FALSE(app.process);
    EXPECT_FALSE(app.thread);
    EndPrintCommand(app, true); // nothing to end
}

} // namespace
