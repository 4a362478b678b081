// The test driver's command line.
#include "tools/driver_args.h"

#include <algorithm>
#include <charconv>

namespace driver {

namespace {

enum Option : unsigned { kPid = 1, kTitle = 2, kTimeout = 4, kWaitExit = 8, kRest = 16 };

struct CommandRule {
    const char* name;
    size_t minOperands;
    size_t maxOperands;
    unsigned options;
};

constexpr size_t kAny = ~size_t{0};

constexpr CommandRule kRules[] = {
    {"launch", 1, kAny, kRest},
    {"launch-raw", 2, 2, kRest},
    {"wait-window", 0, 1, kPid | kTitle | kTimeout},
    {"children", 1, 1, kPid | kTimeout},
    {"text", 2, 2, kPid | kTimeout},
    {"enabled", 2, 2, kPid | kTimeout},
    {"click", 2, 2, kPid | kTimeout | kWaitExit},
    {"double-click", 2, 2, kPid | kTimeout},
    {"wait-msgbox", 0, 0, kPid | kTimeout},
    {"answer-msgbox", 1, 1, kPid | kTimeout | kWaitExit},
    {"close", 1, 1, kPid | kTimeout | kWaitExit},
    {"wait-exit", 1, 1, kTimeout},
    {"kill", 1, 1, 0},
    {"keys", 2, kAny, kPid | kTimeout | kWaitExit},
    {"focus", 1, 1, kPid | kTimeout},
    {"bar", 2, 2, kPid | kTimeout},
    {"bar-trace", 2, 2, kPid | kTimeout},
    {"edit-view", 2, 2, kPid | kTimeout},
    {"set-text", 3, 3, kPid | kTimeout},
    {"rows", 2, 2, kPid | kTimeout},
    {"row-tip", 3, 4, kPid | kTimeout},
    {"columns", 2, 2, kPid | kTimeout},
    {"drop", 3, kAny, kPid | kTimeout},
    {"record", 1, kAny, kRest},
    {"post-quit", 1, 1, kTimeout | kWaitExit},
    {"dde-execute", 3, 3, kTimeout},
    {"hold-mutex", 2, 2, 0},
};

template <class T> bool ParseNumber(std::string_view text, T& value, int base = 10)
{
    if (text.empty())
        return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return ec == std::errc() && end == text.data() + text.size();
}

bool AllDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Applies one option at args[i] (advancing i past its value); false with error set when it is
// unknown, not allowed for the command, or its value is missing or malformed.
bool ApplyOption(const CommandRule& rule, const std::vector<std::string>& args, size_t& i, Command& command,
                 std::string& error)
{
    const std::string& option = args[i];
    auto value = [&](std::string& out) {
        if (i + 1 >= args.size()) {
            error = option + " needs a value";
            return false;
        }
        out = args[++i];
        return true;
    };
    std::string text;
    if (option == "--pid" && (rule.options & kPid)) {
        uint32_t pid = 0;
        if (!value(text))
            return false;
        if (!ParseNumber(text, pid) || pid == 0) {
            error = "--pid needs a process id, not '" + text + "'";
            return false;
        }
        command.pid = pid;
    } else if (option == "--title" && (rule.options & kTitle)) {
        return value(command.title);
    } else if (option == "--timeout" && (rule.options & kTimeout)) {
        int seconds = 0;
        if (!value(text))
            return false;
        if (!ParseNumber(text, seconds) || seconds < 0 || seconds > 3600) {
            error = "--timeout needs whole seconds (0 to 3600), not '" + text + "'";
            return false;
        }
        command.timeoutMs = seconds * 1000;
    } else if (option == "--wait-exit" && (rule.options & kWaitExit)) {
        command.waitExit = true;
    } else {
        error = "option " + option + " is not known to " + rule.name;
        return false;
    }
    return true;
}

} // namespace

std::optional<Command> ParseCommand(const std::vector<std::string>& args, std::string& error)
{
    error.clear();
    if (args.empty()) {
        error = "no command";
        return std::nullopt;
    }
    const auto* rule =
        std::find_if(std::begin(kRules), std::end(kRules), [&](const CommandRule& r) { return args[0] == r.name; });
    if (rule == std::end(kRules)) {
        error = "unknown command '" + args[0] + "'";
        return std::nullopt;
    }
    Command command;
    command.name = rule->name;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if ((rule->options & kRest) || arg.rfind("--", 0) != 0)
            command.operands.push_back(arg);
        else if (!ApplyOption(*rule, args, i, command, error))
            return std::nullopt;
    }
    if (command.operands.size() < rule->minOperands || command.operands.size() > rule->maxOperands) {
        error = std::string(rule->name) + ": wrong number of operands";
        return std::nullopt;
    }
    if (command.name == "wait-window" && command.operands.empty() == command.title.empty()) {
        error = "wait-window needs either a window class or --title TEXT";
        return std::nullopt;
    }
    if (command.name == "wait-exit" || command.name == "kill" || command.name == "post-quit") {
        uint32_t pid = 0;
        if (!ParseNumber(command.operands[0], pid) || pid == 0) {
            error = command.name + " needs a process id, not '" + command.operands[0] + "'";
            return std::nullopt;
        }
        command.pid = pid;
    }
    return command;
}

WindowSpec ParseWindowSpec(std::string_view text)
{
    WindowSpec target;
    uintptr_t handle = 0;
    if (text.size() > 2 && (text.substr(0, 2) == "0x" || text.substr(0, 2) == "0X") &&
        ParseNumber(text.substr(2), handle, 16) && handle != 0)
        target.handle = handle;
    else
        target.className = std::string(text);
    return target;
}

ControlSpec ParseControlSpec(std::string_view text)
{
    ControlSpec target;
    if (AllDigits(text) && ParseNumber(text, target.id)) {
        target.kind = ControlSpec::Kind::Id;
        return target;
    }
    size_t hash = text.rfind('#');
    if (hash != std::string_view::npos && hash > 0 && AllDigits(text.substr(hash + 1)) &&
        ParseNumber(text.substr(hash + 1), target.index) && target.index > 0) {
        target.kind = ControlSpec::Kind::ClassIndex;
        target.className = std::string(text.substr(0, hash));
        return target;
    }
    target.kind = ControlSpec::Kind::Text;
    target.text = WithoutAccessMarks(text);
    return target;
}

std::string WithoutAccessMarks(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i; // "&x" is x, "&&" is &
        out += text[i];
    }
    return out;
}

KeyStroke ParseKeyStroke(std::string_view text)
{
    static constexpr struct {
        std::string_view name;
        uint16_t vk;
    } kNamed[] = {{"tab", 0x09}, {"enter", 0x0D}, {"esc", 0x1B},  {"space", 0x20}, {"left", 0x25},
                  {"up", 0x26},  {"right", 0x27}, {"down", 0x28}, {"alt", 0x12},   {"delete", 0x2E},
                  {"f1", 0x70},  {"f10", 0x79},   {"home", 0x24}, {"end", 0x23}};
    KeyStroke key;
    for (;;) {
        size_t plus = text.find('+');
        if (plus == std::string_view::npos || plus + 1 == text.size())
            break;
        std::string_view modifier = text.substr(0, plus);
        if (modifier == "shift")
            key.shift = true;
        else if (modifier == "ctrl")
            key.ctrl = true;
        else if (modifier == "alt")
            key.alt = true;
        else
            return {};
        text.remove_prefix(plus + 1);
    }
    for (const auto& named : kNamed) {
        if (text == named.name) {
            key.vk = named.vk;
            return key;
        }
    }
    if (text.size() == 1 && ((text[0] >= 'a' && text[0] <= 'z') || (text[0] >= '0' && text[0] <= '9'))) {
        key.vk = static_cast<uint16_t>(text[0] >= 'a' ? text[0] - 'a' + 'A' : text[0]); // VK_A.. and VK_0.. are ASCII
        return key;
    }
    return {};
}

std::string QuotedCommandLine(const std::vector<std::string>& words)
{
    std::string line;
    for (const std::string& word : words)
        line += (line.empty() ? "\"" : " \"") + word + "\"";
    return line;
}

std::string OneLine(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

const char* Usage()
{
    return "usage: folimar_testdriver COMMAND ...\n"
           "  launch PROGRAM [ARG...]            start PROGRAM with \"PROGRAM\" \"ARG\"...; prints pid=N\n"
           "  launch-raw PROGRAM COMMAND_LINE    start PROGRAM with COMMAND_LINE as it is; prints pid=N\n"
           "  wait-window CLASS|--title TEXT [--pid N] [--timeout S]\n"
           "                                     wait for a visible top-level window; prints hwnd=, class=,\n"
           "                                     caption=, client=WxH, pid=,\n"
           "                                     rect=LEFT,TOP,WIDTH,HEIGHT (the whole window)\n"
           "  children WINDOW                    list the window's controls: id, class, state, text\n"
           "  text WINDOW CONTROL                print the control's text\n"
           "  enabled WINDOW CONTROL             print enabled or disabled\n"
           "  click WINDOW CONTROL [--wait-exit] post BM_CLICK to an enabled control\n"
           "  double-click WINDOW CONTROL        double-click the control's middle with the mouse\n"
           "  wait-msgbox [--pid N]              wait for a message box; prints caption=, text=, buttons=\n"
           "  answer-msgbox BUTTON [--wait-exit] click a message box button (Yes, No, OK...)\n"
           "  close WINDOW [--wait-exit]         post WM_CLOSE\n"
           "  wait-exit PID [--timeout S]        wait for a running process to end; prints exit=N\n"
           "  kill PID                           end a process\n"
           "  keys WINDOW KEY... [--wait-exit]   bring the window to the front and type the keys (tab,\n"
           "                                     shift+tab, enter, esc, space, alt+c, ...)\n"
           "  focus WINDOW                       the control with the keyboard focus in the window's\n"
           "                                     thread; prints id=, class=, text=\n"
           "  bar WINDOW CONTROL                 a progress bar; prints pos=, max=, marquee=0|1\n"
           "  bar-trace WINDOW CONTROL           follow a progress bar until its process shows a message\n"
           "                                     box; prints pos=N at the start and at each change\n"
           "  edit-view WINDOW CONTROL           an edit field's first visible character; prints first=, length=\n"
           "  set-text WINDOW CONTROL TEXT       set the control's text (WM_SETTEXT)\n"
           "  rows WINDOW CONTROL                a list view's rows, one per line: row=N, then its three\n"
           "                                     columns' texts, the item's image, the third column's\n"
           "                                     image and 1 when selected, separated by tabs; then the\n"
           "                                     fourth column's text where the list has one\n"
           "  row-tip WINDOW CONTROL ROW [FROM]  move the mouse off the window, then rest it on a list\n"
           "                                     view's row (first on row FROM, until its tooltip shows or\n"
           "                                     3 s when it has none) and wait for the row's tooltip;\n"
           "                                     prints text=\n"
           "  columns WINDOW CONTROL             a list view's client width and column widths; prints\n"
           "                                     client=, widths=W,W,...\n"
           "  drop WINDOW CONTROL FILE...        drop the files on the control (WM_DROPFILES)\n"
           "  post-quit PID [--wait-exit]        post WM_QUIT to the process's primary thread; prints thread=N\n"
           "  dde-execute SERVICE TOPIC COMMAND  send COMMAND as a DDE execute, connecting for up to --timeout\n"
           "                                     seconds; prints result=ack, or fails when not processed\n"
           "  hold-mutex NAME FILE               hold the named mutex while FILE exists (a batch, to the port)\n"
           "  record FILE [ARG...]               append this command line to FILE (a program for tests\n"
           "                                     to register where the shell opens something)\n"
           "WINDOW is a window class or a handle 0x...; CONTROL a control id, CLASS#N or the control's text.\n"
           "Window commands wait up to --timeout seconds (default 30) for what they name; --pid N narrows\n"
           "them to one process; --wait-exit then waits for the window's process and prints exit=N.\n";
}

} // namespace driver
