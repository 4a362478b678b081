// The test driver's command line: one command, its operands and options, checked before any window is touched.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace driver {

inline constexpr int kDefaultTimeoutMs = 30000;

struct Command {
    std::string name;
    std::vector<std::string> operands;
    std::optional<uint32_t> pid;       // --pid N: only windows of that process
    std::string title;                 // --title TEXT: find a window by its caption instead of its class
    int timeoutMs = kDefaultTimeoutMs; // --timeout S (seconds)
    bool waitExit = false;             // --wait-exit: after acting, wait for the window's process to end
};

// The command named by args[0] with its operands and options, or nullopt with error set.
// "launch" and "launch-raw" take everything after the command as operands.
std::optional<Command> ParseCommand(const std::vector<std::string>& args, std::string& error);

// How a command names a top-level window: "0x..." is a window handle, anything else a class.
struct WindowSpec {
    uintptr_t handle = 0; // non-zero for a handle
    std::string className;
};
WindowSpec ParseWindowSpec(std::string_view text);

// How a command names a control of a window: a decimal control id, "CLASS#N" (the N-th control
// of that window class, from 1, in creation order), or its text ("&" markers do not count).
struct ControlSpec {
    enum class Kind { Id, ClassIndex, Text } kind = Kind::Text;
    int id = 0;
    std::string className;
    int index = 0;
    std::string text;
};
ControlSpec ParseControlSpec(std::string_view text);

// A control's text as a user reads it: "&&" is "&", a single "&" only marks the access key.
std::string WithoutAccessMarks(std::string_view text);

// One key press as a user types it: "tab", "shift+tab", "enter", "esc", "space", "alt+c", a letter
// or digit; modifiers shift, ctrl and alt joined with "+". vk 0 when the text names no key.
struct KeyStroke {
    uint16_t vk = 0;
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};
KeyStroke ParseKeyStroke(std::string_view text);

// "PROGRAM" "ARG"...: each word in double quotes, single spaces.
std::string QuotedCommandLine(const std::vector<std::string>& words);

// Line ends as "\n" and "\r", so that one value stays on one output line.
std::string OneLine(std::string_view text);

// The usage text.
const char* Usage();

} // namespace driver
