// Print-command execution: the commands made from the templates, the hidden print process, the
// DDE execute conversation and the end of the process.
#include "batch/print_commands.h"

#include "jobprep/text_rules.h"

#include <ddeml.h>

#include <vector>

namespace folimar {

std::string FillDocumentPath(std::string_view text, std::string_view documentPath)
{
    std::string filled;
    for (size_t start = 0;;) {
        const size_t at = text.find("%1", start);
        filled += text.substr(start, at - start);
        if (at == std::string_view::npos)
            return filled;
        filled += documentPath;
        start = at + 2;
    }
}

namespace {

bool HasPercent(const std::string& text)
{
    return text.find('%') != std::string::npos;
}

// The client asks for nothing the DDE library would report through a callback; one that answers
// nothing stands in for none, which some DDE libraries would call all the same.
HDDEDATA CALLBACK IgnoreDdeEvent(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return nullptr;
}

} // namespace

TPrintCommands BuildPrintCommandsWith(const std::string& commandTemplate, const std::string& ddeTemplate,
                                      const std::string& documentPath, const EnvironmentExpander& expand)
{
    TPrintCommands commands;
    if (commandTemplate.empty())
        return commands;
    const std::optional<std::string> command = expand(commandTemplate);
    if (!command)
        return commands;
    const std::optional<std::string> dde = ddeTemplate.empty() ? std::string() : expand(ddeTemplate);
    commands.commandLine = FillDocumentPath(*command, documentPath);
    if (dde)
        commands.ddeCommand = FillDocumentPath(*dde, documentPath);
    // Either the command line names the document or the DDE command does; a "%" left over is a
    // placeholder the document cannot fill.
    const bool commandNamesDocument = commands.commandLine != *command && !HasPercent(commands.commandLine);
    const bool ddeNamesDocument = dde && commands.ddeCommand != ddeTemplate && !HasPercent(commands.ddeCommand);
    commands.printable = commandNamesDocument || ddeNamesDocument;
    return commands;
}

std::optional<std::string> ExpandEnvironment(const std::string& text)
{
    char expanded[kExpandedCommandBytes];
    const DWORD length = ::ExpandEnvironmentStringsA(text.c_str(), expanded, sizeof(expanded));
    // The length counts the terminating zero; a larger one than the buffer means nothing was
    // expanded into it.
    if (length == 0 || length > sizeof(expanded))
        return std::nullopt;
    return std::string(expanded);
}

TPrintCommands BuildPrintCommands(const std::string& commandTemplate, const std::string& ddeTemplate,
                                  const std::string& documentPath)
{
    return BuildPrintCommandsWith(commandTemplate, ddeTemplate, documentPath, ExpandEnvironment);
}

TDdeTarget DdeTargetFor(const std::string& commandLine, const std::string& application, const std::string& topic)
{
    TDdeTarget target{application, topic};
    if (target.application.empty()) {
        std::string_view line = TrimControlAndSpace(commandLine);
        std::string_view program;
        if (!line.empty() && line[0] == '"') {
            line.remove_prefix(1);
            program = line.substr(0, line.find('"'));
        } else {
            size_t end = 0;
            while (end < line.size() && !IsControlOrSpace(line[end]))
                ++end;
            program = line.substr(0, end);
        }
        std::string_view name = FileNamePart(program);
        target.application = name.substr(0, name.rfind('.'));
    }
    if (target.topic.empty())
        target.topic = "System";
    return target;
}

bool StartPrintCommand(const std::string& commandLine, TPrintProcess& process)
{
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0'); // CreateProcessA may write to it
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    process.process.reset(info.hProcess);
    process.thread.reset(info.hThread);
    process.threadId = info.dwThreadId;
    return true;
}

bool ExecuteDdeCommand(const std::string& application, const std::string& topic, const std::string& command)
{
    // Declared in the reverse order of their release: the instance goes last.
    win::DdeInstance instance;
    win::DdeString topicName;
    win::DdeString service;
    win::DdeConversation conversation;
    if (::DdeInitializeA(instance.put(), IgnoreDdeEvent, 0, 0) != DMLERR_NO_ERROR) {
        instance.release(); // not an instance to uninitialise
        return false;
    }
    service = win::CreateDdeString(instance.get(), application.c_str());
    topicName = win::CreateDdeString(instance.get(), topic.c_str());
    if (!service || !topicName)
        return false;
    CONVCONTEXT context{};
    context.cb = sizeof context;
    context.iCodePage = CP_WINANSI;
    conversation.reset(::DdeConnect(instance.get(), service.get().hsz, topicName.get().hsz, &context));
    if (!conversation)
        return false;
    win::DdeData data(::DdeCreateDataHandle(instance.get(), reinterpret_cast<BYTE*>(const_cast<char*>(command.c_str())),
                                            static_cast<DWORD>(command.size() + 1), 0, nullptr, CF_TEXT, 0));
    if (!data)
        return false;
    // The data handle belongs to DDE once the transaction has it.
    const HDDEDATA result = ::DdeClientTransaction(reinterpret_cast<BYTE*>(data.release()), static_cast<DWORD>(-1),
                                                   conversation.get(), nullptr, CF_TEXT, XTYP_EXECUTE, 5000, nullptr);
    return result != nullptr;
}

void EndPrintCommand(TPrintProcess& process, bool kill)
{
    if (process.process) {
        if (kill)
            ::TerminateProcess(process.process.get(), 1);
        if (::WaitForSingleObject(process.process.get(), 0) != WAIT_OBJECT_0)
            ::PostThreadMessageA(process.threadId, WM_QUIT, 0, 0);
    }
    process.process.reset();
    process.thread.reset();
    process.threadId = 0;
}

} // namespace folimar
