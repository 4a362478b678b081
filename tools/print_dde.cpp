// A print program that takes its documents by DDE, as document programs of the shell do.
//
//   print_dde.exe
//
// Serves the DDE service "QuorvelPrint", topic "System": [print("PATH")] prints the text file
// PATH to the default printer, [open("PATH")] is accepted and does nothing. Commands are
// acknowledged at once and printed afterwards from the message loop, since the client's
// transaction times out while the callback runs. Runs until WM_QUIT reaches its primary thread
// (at most five minutes); exits 0 when every print succeeded, 1 otherwise.
#include "tools/print_programs.h"
#include "tools/quit_wait.h"
#include "tools/text_print.h"
#include "win/handle.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <optional>
#include <string>

namespace {

// Posted to our own thread: print the next queued document.
constexpr UINT WM_PRINT_NEXT = WM_APP + 1;

class PrintServer {
public:
    // The DDE callback has no context of its own: the one server of the process.
    static PrintServer* current;

    bool Start()
    {
        DWORD id = 0;
        if (::DdeInitializeA(&id, Callback,
                             APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_POKES | CBF_FAIL_REQUESTS |
                                 CBF_SKIP_ALLNOTIFICATIONS,
                             0) != DMLERR_NO_ERROR)
            return Fail("DdeInitializeA failed");
        instance_.reset(id);
        service_ = win::CreateDdeString(id, porttool::kDdeService);
        topic_ = win::CreateDdeString(id, porttool::kDdeTopic);
        if (!service_ || !topic_)
            return Fail("cannot make the DDE names");
        if (!::DdeNameService(id, service_.get().hsz, nullptr, DNS_REGISTER))
            return Fail("cannot register the DDE service");
        registered_ = true;
        return true;
    }

    ~PrintServer()
    {
        if (registered_)
            ::DdeNameService(instance_.get(), service_.get().hsz, nullptr, DNS_UNREGISTER);
    }

    void PrintNext()
    {
        if (pending_.empty())
            return;
        std::string path = std::move(pending_.front());
        pending_.pop_front();
        std::string error;
        if (!porttool::PrintTextFile(path, porttool::DefaultPrinterName(), error)) {
            std::fprintf(stderr, "print_dde: %s\n", error.c_str());
            std::fflush(stderr);
            failed_ = true;
        }
    }

    // A print failed, or was asked for and not made.
    bool failed() const { return failed_ || !pending_.empty(); }

private:
    static bool Fail(const char* what)
    {
        std::fprintf(stderr, "print_dde: %s\n", what);
        return false;
    }

    static HDDEDATA CALLBACK Callback(UINT type, UINT, HCONV, HSZ topic, HSZ service, HDDEDATA data, ULONG_PTR,
                                      ULONG_PTR)
    {
        try {
            if (!current)
                return nullptr;
            if (type == XTYP_CONNECT)
                return reinterpret_cast<HDDEDATA>(static_cast<INT_PTR>(current->Serves(service, topic)));
            if (type == XTYP_EXECUTE)
                return current->Execute(topic, data);
        } catch (...) {
            // Nothing may unwind into DDE.
        }
        return type == XTYP_EXECUTE ? reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED) : nullptr;
    }

    bool Serves(HSZ service, HSZ topic) const
    {
        return ::DdeCmpStringHandles(service, service_.get().hsz) == 0 &&
               ::DdeCmpStringHandles(topic, topic_.get().hsz) == 0;
    }

    HDDEDATA Execute(HSZ topic, HDDEDATA data)
    {
        const auto notProcessed = reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
        if (::DdeCmpStringHandles(topic, topic_.get().hsz) != 0)
            return notProcessed;
        DWORD size = ::DdeGetData(data, nullptr, 0, 0);
        std::string text(size, '\0');
        if (size)
            ::DdeGetData(data, reinterpret_cast<BYTE*>(text.data()), size, 0);
        text.resize(std::min(text.size(), text.find('\0'))); // the terminator and what follows
        std::optional<porttool::DdeCommand> command = porttool::ParseDdeCommand(text);
        if (!command)
            return notProcessed;
        if (command->verb == porttool::DdeCommand::Verb::Print) {
            if (!::PostThreadMessageA(::GetCurrentThreadId(), WM_PRINT_NEXT, 0, 0))
                return notProcessed;
            pending_.push_back(command->path);
        }
        return reinterpret_cast<HDDEDATA>(DDE_FACK);
    }

    // Declared first: freed last, after the handles that belong to it.
    win::DdeInstance instance_;
    win::DdeString service_;
    win::DdeString topic_;
    bool registered_ = false;
    std::deque<std::string> pending_;
    bool failed_ = false;
};

PrintServer* PrintServer::current = nullptr;

} // namespace

int main(int argc, char**)
{
    porttool::MakeMessageQueue();
    if (argc != 1) {
        std::fprintf(stderr, "usage: print_dde.exe\n");
        return 1;
    }
    PrintServer server;
    PrintServer::current = &server;
    if (!server.Start())
        return 1;
    bool quit = porttool::RunUntilQuit(porttool::kQuitWaitMs, [&](const MSG& msg) {
        if (msg.message == WM_PRINT_NEXT)
            server.PrintNext();
    });
    if (!quit)
        std::fprintf(stderr, "print_dde: no WM_QUIT came; ending on my own\n");
    return server.failed() ? 1 : 0;
}
