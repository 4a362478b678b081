// The end-to-end test driver: starts the program and works its windows from outside, as a user would.
//
// Each command prints its result on standard output and exits 0, or explains on standard error
// and exits 1. Run without arguments for the list of commands.
//
// Started with FOLIMAR_TESTDRIVER_RECORD=FILE in its environment it only appends its own command
// line to FILE and exits 0: tests name it as the program the printer port starts, to see the
// exact command line the port gives. With FOLIMAR_TESTDRIVER_HOLD=FILE as well, it then waits
// (at most a minute) until FILE exists and appends "released", so a test can tell that the port
// did not wait for it.
#include "win/detached_process.h"
#include "tools/driver_args.h"
#include "tools/driver_pointer.h"
#include "tools/driver_process.h"
#include "tools/driver_wait.h"
#include "tools/driver_windows.h"
#include "tools/remote_memory.h"
#include "tools/wine_paths.h"
#include "win/error_text.h"
#include "win/handle.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using driver::Ask;
using driver::ClassOf;
using driver::Command;
using driver::ControlsOf;
using driver::ControlSpec;
using driver::FindTopLevel;
using driver::kPollMs;
using driver::kSendTimeoutMs;
using driver::ProcessOf;
using driver::TextOf;
using driver::WaitFor;

constexpr char kMessageBoxClass[] = "#32770";
constexpr int kMessageBoxTextId = 0xFFFF; // the static text of a system message box

int Fail(const std::string& what)
{
    std::fprintf(stderr, "folimar_testdriver: %s\n", what.c_str());
    return 1;
}

int FailWithError(const std::string& what)
{
    return Fail(what + ": " + win::SystemErrorText(::GetLastError()));
}

bool InProcess(HWND hwnd, const Command& command)
{
    return !command.pid || ProcessOf(hwnd) == *command.pid;
}

HWND FindControlNow(HWND parent, const ControlSpec& target)
{
    int seen = 0;
    for (HWND control : ControlsOf(parent)) {
        switch (target.kind) {
        case ControlSpec::Kind::Id:
            if (::GetDlgCtrlID(control) == target.id)
                return control;
            break;
        case ControlSpec::Kind::ClassIndex:
            if (ClassOf(control) == target.className && ++seen == target.index)
                return control;
            break;
        case ControlSpec::Kind::Text:
            if (driver::WithoutAccessMarks(TextOf(control)) == target.text)
                return control;
            break;
        }
    }
    return nullptr;
}

// The window a command names ("0x..." or a class), waiting for it to appear.
HWND FindWindowNamed(const Command& command, const std::string& name)
{
    driver::WindowSpec target = driver::ParseWindowSpec(name);
    if (target.handle) {
        HWND hwnd = reinterpret_cast<HWND>(target.handle);
        return ::IsWindow(hwnd) ? hwnd : nullptr;
    }
    return WaitFor(command.timeoutMs, [&] {
        return FindTopLevel([&](HWND hwnd) { return ClassOf(hwnd) == target.className && InProcess(hwnd, command); });
    });
}

HWND FindMessageBox(const Command& command)
{
    return WaitFor(command.timeoutMs, [&] {
        return FindTopLevel([&](HWND hwnd) { return ClassOf(hwnd) == kMessageBoxClass && InProcess(hwnd, command); });
    });
}

// A control of the window named by the command's first operand; fails with a message.
HWND FindControl(const Command& command, HWND& window)
{
    window = FindWindowNamed(command, command.operands[0]);
    if (!window) {
        Fail("no window " + command.operands[0]);
        return nullptr;
    }
    ControlSpec target = driver::ParseControlSpec(command.operands[1]);
    HWND control = WaitFor(command.timeoutMs, [&] { return FindControlNow(window, target); });
    if (!control)
        Fail("no control '" + command.operands[1] + "' in " + command.operands[0]);
    return control;
}

win::UniqueHandle OpenForExit(DWORD pid)
{
    return win::UniqueHandle(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
}

int ReportExit(HANDLE process, int timeoutMs)
{
    if (::WaitForSingleObject(process, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0)
        return Fail("the process is still running after " + std::to_string(timeoutMs / 1000) + " s");
    DWORD code = 0;
    if (!::GetExitCodeProcess(process, &code))
        return FailWithError("GetExitCodeProcess");
    std::printf("exit=%lu\n", static_cast<unsigned long>(code));
    return 0;
}

// Posts msg to target; with --wait-exit, holds the process of window from before the message
// (so its exit code survives) and reports it when the process has ended.
int PostAndMaybeWait(const Command& command, HWND window, HWND target, UINT msg)
{
    win::UniqueHandle process;
    if (command.waitExit && !(process = OpenForExit(ProcessOf(window))))
        return FailWithError("cannot watch the window's process");
    if (!::PostMessageA(target, msg, 0, 0))
        return FailWithError("PostMessage");
    return command.waitExit ? ReportExit(process.get(), command.timeoutMs) : 0;
}

// A user cannot press what is hidden or disabled; neither can the driver.
int Click(const Command& command, HWND window, HWND control)
{
    if (!::IsWindowVisible(control) || !::IsWindowEnabled(control))
        return Fail("the control is hidden or disabled");
    return PostAndMaybeWait(command, window, control, BM_CLICK);
}

int Launch(const Command& command)
{
    std::string program = porttool::WindowsPathOf(command.operands[0]);
    std::string line;
    if (command.name == "launch-raw") {
        line = command.operands[1];
    } else {
        std::vector<std::string> words(command.operands);
        words[0] = program;
        line = driver::QuotedCommandLine(words);
    }
    // Detached: the program must not hold the caller's output open after the driver has ended.
    DWORD pid = win::StartDetached(program, line);
    if (!pid)
        return FailWithError("cannot start " + program);
    std::printf("pid=%lu\n", static_cast<unsigned long>(pid));
    return 0;
}

int WaitWindow(const Command& command)
{
    HWND hwnd = command.title.empty() ? FindWindowNamed(command, command.operands[0]) : WaitFor(command.timeoutMs, [&] {
        return FindTopLevel([&](HWND h) { return TextOf(h) == command.title && InProcess(h, command); });
    });
    if (!hwnd)
        return Fail("no visible window " + (command.title.empty() ? command.operands[0] : "'" + command.title + "'") +
                    " within " + std::to_string(command.timeoutMs / 1000) + " s");
    RECT client{}, frame{};
    ::GetClientRect(hwnd, &client);
    ::GetWindowRect(hwnd, &frame);
    std::printf("hwnd=0x%llx\nclass=%s\ncaption=%s\nclient=%ldx%ld\npid=%lu\nrect=%ld,%ld,%ld,%ld\n",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hwnd)), ClassOf(hwnd).c_str(),
                driver::OneLine(TextOf(hwnd)).c_str(), static_cast<long>(client.right),
                static_cast<long>(client.bottom), static_cast<unsigned long>(ProcessOf(hwnd)),
                static_cast<long>(frame.left), static_cast<long>(frame.top),
                static_cast<long>(frame.right - frame.left), static_cast<long>(frame.bottom - frame.top));
    return 0;
}

int Children(const Command& command)
{
    HWND window = FindWindowNamed(command, command.operands[0]);
    if (!window)
        return Fail("no window " + command.operands[0]);
    for (HWND control : ControlsOf(window)) {
        RECT r{};
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
        std::printf("id=%d class=%s enabled=%d visible=%d rect=%ld,%ld,%ld,%ld text=%s\n", ::GetDlgCtrlID(control),
                    ClassOf(control).c_str(), ::IsWindowEnabled(control) ? 1 : 0, ::IsWindowVisible(control) ? 1 : 0,
                    static_cast<long>(r.left), static_cast<long>(r.top), static_cast<long>(r.right - r.left),
                    static_cast<long>(r.bottom - r.top), driver::OneLine(TextOf(control)).c_str());
    }
    return 0;
}

// Prints what describe says of the control the command names.
int PrintControl(const Command& command, std::string (*describe)(HWND))
{
    HWND window = nullptr;
    HWND control = FindControl(command, window);
    if (!control)
        return 1;
    std::printf("%s\n", describe(control).c_str());
    return 0;
}

int Text(const Command& command)
{
    return PrintControl(command, [](HWND control) { return driver::OneLine(TextOf(control)); });
}

int Enabled(const Command& command)
{
    return PrintControl(command,
                        [](HWND control) { return std::string(::IsWindowEnabled(control) ? "enabled" : "disabled"); });
}

int ClickControl(const Command& command)
{
    HWND window = nullptr;
    HWND control = FindControl(command, window);
    return control ? Click(command, window, control) : 1;
}

// A real double click with the mouse in the middle of the control, its window brought to the front.
int DoubleClick(const Command& command)
{
    HWND window = nullptr;
    HWND control = FindControl(command, window);
    if (!control)
        return 1;
    if (!::IsWindowVisible(control) || !::IsWindowEnabled(control))
        return Fail("the control is hidden or disabled");
    ::SetForegroundWindow(window);
    RECT r{};
    ::GetWindowRect(control, &r);
    if (!driver::DoubleClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2}))
        return FailWithError("double click");
    return 0;
}

int WaitMessageBox(const Command& command)
{
    HWND box = FindMessageBox(command);
    if (!box)
        return Fail("no message box within " + std::to_string(command.timeoutMs / 1000) + " s");
    std::string text;
    std::string buttons;
    if (HWND label = ::GetDlgItem(box, kMessageBoxTextId))
        text = TextOf(label);
    for (HWND control : ControlsOf(box)) {
        if (::lstrcmpiA(ClassOf(control).c_str(), "Button") == 0 && ::IsWindowVisible(control))
            buttons += (buttons.empty() ? "" : "|") + driver::WithoutAccessMarks(TextOf(control));
    }
    std::printf("caption=%s\ntext=%s\nbuttons=%s\npid=%lu\n", driver::OneLine(TextOf(box)).c_str(),
                driver::OneLine(text).c_str(), buttons.c_str(), static_cast<unsigned long>(ProcessOf(box)));
    return 0;
}

int AnswerMessageBox(const Command& command)
{
    HWND box = FindMessageBox(command);
    if (!box)
        return Fail("no message box within " + std::to_string(command.timeoutMs / 1000) + " s");
    ControlSpec target;
    target.kind = ControlSpec::Kind::Text;
    target.text = driver::WithoutAccessMarks(command.operands[0]);
    HWND button = FindControlNow(box, target);
    if (!button)
        return Fail("the message box has no button '" + command.operands[0] + "'");
    return Click(command, box, button);
}

int Close(const Command& command)
{
    HWND window = FindWindowNamed(command, command.operands[0]);
    if (!window)
        return Fail("no window " + command.operands[0]);
    return PostAndMaybeWait(command, window, window, WM_CLOSE);
}

int WaitExit(const Command& command)
{
    win::UniqueHandle process = OpenForExit(*command.pid);
    if (!process)
        return FailWithError("no running process " + std::to_string(*command.pid));
    return ReportExit(process.get(), command.timeoutMs);
}

int Kill(const Command& command)
{
    win::UniqueHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, *command.pid));
    if (!process || !::TerminateProcess(process.get(), 1))
        return FailWithError("cannot end process " + std::to_string(*command.pid));
    return 0;
}

// Types the keys on the real keyboard input, into the window brought to the front first.
int Keys(const Command& command)
{
    HWND window = FindWindowNamed(command, command.operands[0]);
    if (!window)
        return Fail("no window " + command.operands[0]);
    std::vector<driver::KeyStroke> keys;
    for (size_t i = 1; i < command.operands.size(); ++i) {
        keys.push_back(driver::ParseKeyStroke(command.operands[i]));
        if (!keys.back().vk)
            return Fail("no key '" + command.operands[i] + "'");
    }
    win::UniqueHandle process;
    if (command.waitExit && !(process = OpenForExit(ProcessOf(window))))
        return FailWithError("cannot watch the window's process");
    ::SetForegroundWindow(window);
    for (const driver::KeyStroke& key : keys) {
        std::vector<INPUT> inputs;
        auto press = [&](WORD vk, bool up) {
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = vk;
            in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            inputs.push_back(in);
        };
        const std::pair<bool, WORD> modifiers[] = {{key.ctrl, VK_CONTROL}, {key.alt, VK_MENU}, {key.shift, VK_SHIFT}};
        for (const auto& [held, vk] : modifiers)
            if (held)
                press(vk, false);
        press(key.vk, false);
        press(key.vk, true);
        for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it)
            if (it->first)
                press(it->second, true);
        if (::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
            return FailWithError("SendInput");
        ::Sleep(kPollMs); // one key at a time, as a person types
    }
    return command.waitExit ? ReportExit(process.get(), command.timeoutMs) : 0;
}

int Focus(const Command& command)
{
    HWND window = FindWindowNamed(command, command.operands[0]);
    if (!window)
        return Fail("no window " + command.operands[0]);
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info))
        return FailWithError("GetGUIThreadInfo");
    HWND focus = info.hwndFocus;
    if (!focus)
        return Fail("no control has the keyboard focus");
    std::printf("id=%d\nclass=%s\ntext=%s\n", ::GetDlgCtrlID(focus), ClassOf(focus).c_str(),
                driver::OneLine(TextOf(focus)).c_str());
    return 0;
}

int Bar(const Command& command)
{
    return PrintControl(command, [](HWND bar) {
        std::optional<DWORD_PTR> pos = Ask(bar, PBM_GETPOS), max = Ask(bar, PBM_GETRANGE, FALSE);
        if (!pos || !max)
            return std::string("error=the progress bar does not answer");
        const bool marquee = (::GetWindowLongA(bar, GWL_STYLE) & PBS_MARQUEE) != 0;
        return "pos=" + std::to_string(static_cast<int>(*pos)) + "\nmax=" + std::to_string(static_cast<int>(*max)) +
               "\nmarquee=" + (marquee ? "1" : "0");
    });
}

// Follows a progress bar from one process of ours, as quickly as the bar answers (a driver started
// for each look misses a run that is quick or a machine that is busy): prints its position at the
// start, then each new one, until the window's process shows a message box.
int BarTrace(const Command& command)
{
    HWND window = nullptr;
    HWND bar = FindControl(command, window);
    if (!bar)
        return 1;
    const DWORD process = ProcessOf(window);
    std::optional<DWORD_PTR> last;
    const DWORD start = ::GetTickCount();
    for (;;) {
        // Looked for before the position is read: the last position is read after the box shows.
        const bool boxShown =
            FindTopLevel([&](HWND h) { return ClassOf(h) == kMessageBoxClass && ProcessOf(h) == process; });
        if (std::optional<DWORD_PTR> pos = Ask(bar, PBM_GETPOS); pos && pos != last) {
            std::printf("pos=%d\n", static_cast<int>(*pos));
            std::fflush(stdout);
            last = pos;
        }
        if (boxShown)
            return 0;
        if (!::IsWindow(bar))
            return Fail("the progress bar is gone");
        if (::GetTickCount() - start >= static_cast<DWORD>(command.timeoutMs))
            return Fail("no message box within " + std::to_string(command.timeoutMs / 1000) + " s");
        ::Sleep(5);
    }
}

// Where a single-line edit field's view starts: the index of its first visible character.
int EditView(const Command& command)
{
    return PrintControl(command, [](HWND edit) {
        std::optional<DWORD_PTR> first = Ask(edit, EM_GETFIRSTVISIBLELINE);
        if (!first)
            return std::string("error=the edit field does not answer");
        return "first=" + std::to_string(static_cast<int>(*first)) + "\nlength=" + std::to_string(TextOf(edit).size());
    });
}

int SetText(const Command& command)
{
    HWND window = nullptr;
    HWND control = FindControl(command, window);
    if (!control)
        return 1;
    DWORD_PTR done = 0;
    if (!::SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(command.operands[2].c_str()),
                               SMTO_ABORTIFHUNG, kSendTimeoutMs, &done) ||
        !done)
        return Fail("the control did not take the text");
    return 0;
}

int Rows(const Command& command)
{
    HWND window = nullptr;
    HWND list = FindControl(command, window);
    if (!list)
        return 1;
    // The fourth column comes last, so that the first seven fields stay where scripts read them.
    constexpr int kColumns = 4;
    std::vector<driver::ListRow> rows;
    if (!driver::ReadListRows(list, kColumns, rows))
        return FailWithError("cannot read the list's rows");
    for (size_t i = 0; i < rows.size(); ++i) {
        std::printf("row=%zu", i);
        for (size_t c = 0; c < 3; ++c)
            std::printf("\t%s", driver::OneLine(rows[i].texts[c]).c_str());
        std::printf("\t%d\t%d\t%d\t%s\n", rows[i].image, rows[i].statusImage, rows[i].selected ? 1 : 0,
                    driver::OneLine(rows[i].texts[3]).c_str());
    }
    return 0;
}

// How long the mouse rests on the row it comes from when that row shows no tooltip: well past
// the tooltip's delay (the double-click time, 500 ms by default).
constexpr int kFromRowRestMs = 3000;

// Rests the mouse on a list view's row, as a user points at it, and waits for the tooltip of the
// list's process to show a text. The mouse leaves the window first, and any tooltip must go with
// it: a tip left over from elsewhere is never taken for the row's. With a fourth operand the mouse
// comes from that row (after its tooltip showed, if it has one) straight to the row, without leaving
// the list.
int RowTip(const Command& command)
{
    HWND window = nullptr;
    HWND list = FindControl(command, window);
    if (!list)
        return 1;
    const DWORD pid = ProcessOf(list);
    ::SetForegroundWindow(window);
    if (!driver::MovePointerOff(window))
        return FailWithError("moving the mouse off the window");
    if (!WaitFor(command.timeoutMs, [pid] { return driver::ShownTooltipText(pid).empty(); }))
        return Fail("a tooltip stays after the mouse left the window: " + driver::ShownTooltipText(pid));
    std::string error;
    std::optional<std::string> text = std::string();
    if (command.operands.size() > 3) // a row without a tooltip is left after the tooltip's delay
        text = driver::RestOnRowForTip(list, std::atoi(command.operands[3].c_str()), {}, kFromRowRestMs, error);
    if (text)
        text = driver::RestOnRowForTip(list, std::atoi(command.operands[2].c_str()), *text, command.timeoutMs, error);
    if (!text)
        return Fail(error);
    if (text->empty())
        return Fail("no tooltip showed over row " + command.operands[2]);
    std::printf("text=%s\n", driver::OneLine(*text).c_str());
    return 0;
}

// A list view's column widths and the width of its client area, in pixels.
int Columns(const Command& command)
{
    HWND window = nullptr;
    HWND list = FindControl(command, window);
    if (!list)
        return 1;
    const auto header = Ask(list, LVM_GETHEADER);
    const auto count = header ? Ask(reinterpret_cast<HWND>(*header), HDM_GETITEMCOUNT) : std::nullopt;
    RECT client{};
    if (!count || !::GetClientRect(list, &client))
        return Fail("cannot read the list's columns");
    std::printf("client=%d\nwidths=", static_cast<int>(client.right));
    for (int c = 0; c < static_cast<int>(*count); ++c)
        std::printf(c ? ",%d" : "%d", static_cast<int>(Ask(list, LVM_GETCOLUMNWIDTH, c).value_or(0)));
    std::printf("\n");
    return 0;
}

// Drops the files on the control as the shell does: a DROPFILES block the receiver reads and
// frees, here in memory of the receiver's process (a handle of ours means nothing there).
int Drop(const Command& command)
{
    HWND window = nullptr;
    HWND control = FindControl(command, window);
    if (!control)
        return 1;
    const std::string block = driver::DropFilesBlock({command.operands.begin() + 2, command.operands.end()});
    driver::RemoteMemory memory(control, block.size());
    if (!memory.valid() || !memory.Write(0, block.data(), block.size()))
        return FailWithError("cannot write the dropped files into the window's process");
    if (!::PostMessageA(control, WM_DROPFILES, reinterpret_cast<WPARAM>(memory.address()), 0))
        return FailWithError("PostMessage WM_DROPFILES");
    memory.Release(); // the receiver reads it after we have gone
    return 0;
}

int PostQuit(const Command& command)
{
    win::UniqueHandle process;
    if (command.waitExit && !(process = OpenForExit(*command.pid)))
        return FailWithError("no running process " + std::to_string(*command.pid));
    DWORD thread = driver::PrimaryThreadOf(*command.pid);
    if (!thread || !::PostThreadMessageA(thread, WM_QUIT, 0, 0))
        return FailWithError("cannot post WM_QUIT to process " + std::to_string(*command.pid));
    std::printf("thread=%lu\n", static_cast<unsigned long>(thread));
    return command.waitExit ? ReportExit(process.get(), command.timeoutMs) : 0;
}

// Holds a named mutex, as a running batch does, until the file is gone.
int HoldMutex(const Command& command)
{
    win::UniqueHandle mutex(::CreateMutexA(nullptr, FALSE, command.operands[0].c_str()));
    if (!mutex)
        return FailWithError("cannot create the mutex " + command.operands[0]);
    std::printf("held=%s\n", command.operands[0].c_str());
    std::fflush(stdout);
    while (::GetFileAttributesA(command.operands[1].c_str()) != INVALID_FILE_ATTRIBUTES)
        ::Sleep(100);
    return 0;
}

int DdeExecute(const Command& command)
{
    std::string error;
    const std::vector<std::string>& words = command.operands;
    if (!driver::DdeExecute(words[0], words[1], words[2], command.timeoutMs, error))
        return Fail(error);
    std::printf("result=ack\n");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::string recordFile = driver::EnvironmentValue("FOLIMAR_TESTDRIVER_RECORD");
    if (!recordFile.empty())
        return driver::Record(recordFile);

    std::string error;
    std::optional<Command> command = driver::ParseCommand(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!command) {
        std::fprintf(stderr, "folimar_testdriver: %s\n%s", error.c_str(), driver::Usage());
        return 1;
    }
    static const struct {
        const char* name;
        int (*run)(const Command&);
    } kHandlers[] = {
        {"launch", Launch},
        {"launch-raw", Launch},
        {"wait-window", WaitWindow},
        {"children", Children},
        {"text", Text},
        {"enabled", Enabled},
        {"click", ClickControl},
        {"double-click", DoubleClick},
        {"wait-msgbox", WaitMessageBox},
        {"answer-msgbox", AnswerMessageBox},
        {"close", Close},
        {"wait-exit", WaitExit},
        {"kill", Kill},
        {"keys", Keys},
        {"focus", Focus},
        {"bar", Bar},
        {"bar-trace", BarTrace},
        {"edit-view", EditView},
        {"set-text", SetText},
        {"rows", Rows},
        {"row-tip", RowTip},
        {"columns", Columns},
        {"drop", Drop},
        {"record", [](const Command& c) { return driver::AppendLine(c.operands[0], ::GetCommandLineA()) ? 0 : 1; }},
        {"post-quit", PostQuit},
        {"dde-execute", DdeExecute},
        {"hold-mutex", HoldMutex},
    };
    for (const auto& handler : kHandlers) {
        if (command->name == handler.name) {
            int code = handler.run(*command);
            std::fflush(stdout);
            return code;
        }
    }
    return Fail("no handler for " + command->name);
}
