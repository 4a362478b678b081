// The Ghostscript run and its output callbacks.
#include "render/gsapi.h"

#include "render/gs_library.h"
#include "render/library_path.h"
#include "render/page_marker.h"

#include <algorithm>
#include <string_view>

namespace folimar {

int GsStdin(void*, char*, int)
{
    return 0;
}

int GsStderr(void* caller, const char* str, int len)
{
    try {
        const auto* output = static_cast<const TGsOutput*>(caller);
        if (output && output->messages && str && len > 0)
            output->messages->Add(std::string_view(str, static_cast<size_t>(len)));
    } catch (...) {
        // Nothing may unwind into the library.
    }
    return len;
}

int GsStdout(void* caller, const char* str, int len)
{
    try {
        const auto* output = static_cast<const TGsOutput*>(caller);
        if (output && str && len > 0) {
            // Ghostscript reports its errors here, not on the error stream.
            if (output->messages)
                output->messages->Add(std::string_view(str, static_cast<size_t>(len)));
            int page = output->progress ? ScanPageMarker(str, static_cast<size_t>(len)) : 0;
            if (page != 0)
                output->progress->Report(page);
        }
    } catch (...) {
        // Nothing may unwind into the library.
    }
    return len;
}

bool GsRunSucceeded(int code)
{
    return code == 0 || code == kGsErrorQuit;
}

bool RunGhostscript(int argc, char** argv, void* caller)
{
    const GsApi* gs = LoadGsApi();
    return gs && RunGhostscriptWith(*gs, argc, argv, caller);
}

bool RunGhostscriptWith(const GsApi& gs, int argc, char** argv, void* caller)
{
    void* instance = nullptr;
    if (gs.new_instance(&instance, caller) != 0)
        return false;

    // The instance is deleted on every way out, also when an error escapes the library.
    struct InstanceGuard {
        const GsApi& gs;
        void* instance;
        ~InstanceGuard() { gs.delete_instance(instance); }
    } guard{gs, instance};

    if (gs.set_stdio(instance, GsStdin, GsStdout, GsStderr) != 0)
        return false;
    int code = gs.init_with_args(instance, argc, argv);
    gs.exit(instance);
    return GsRunSucceeded(code);
}

namespace {

// Ghostscript reads "%" in an output file name as a page-number template.
std::string EscapeOutputFileName(const std::string& path)
{
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        out += c;
        if (c == '%')
            out += '%';
    }
    return out;
}

} // namespace

std::vector<std::string> BuildPdfWriteArguments(const std::string& psPath, const std::string& pdfPath)
{
    return {
        "ps2pdf",
        "-dNOPAUSE",
        "-dBATCH",
        "-dSAFER",
        "-sDEVICE=pdfwrite",
        "-sOutputFile=" + EscapeOutputFileName(pdfPath),
        "-c",
        // Ghostscript 10 no longer defines .setpdfwrite; older versions still want it.
        "/.setpdfwrite where {pop .setpdfwrite} if",
        // Page progress for every job: Ghostscript itself writes a page marker as each page ends,
        // since many drivers (Wine's among them) put none in the job. EndPage gets the count of
        // pages before this one and the reason; the page is kept for reasons 0 and 1 as before.
        "<< /EndPage { dup 2 ne { 1 index 1 add (%%[Page: ) print =string cvs print (]%%) = flush } if "
        "exch pop 2 ne } bind >> setpagedevice",
        "-f",
        "-q",
        psPath,
    };
}

std::vector<std::string> PrologueEntries(std::string_view prologue)
{
    if (prologue.empty())
        return {};
    if (prologue.size() <= kMaxGsArgument)
        return {std::string(prologue)};
    // Each entry runs as PostScript on its own, so a token cannot span two of them. The prologue goes
    // as hex string pieces left on the stack, joined and run by the last entry.
    static constexpr char kHex[] = "0123456789ABCDEF";
    constexpr size_t kPieceBytes = (kMaxGsArgument - 4) / 2; // "[ <" ... ">" around the digits
    std::vector<std::string> entries;
    for (size_t at = 0; at < prologue.size(); at += kPieceBytes) {
        std::string_view piece = prologue.substr(at, kPieceBytes);
        std::string entry = at == 0 ? "[ <" : "<";
        entry.reserve(entry.size() + piece.size() * 2 + 1);
        for (char c : piece) {
            entry += kHex[static_cast<unsigned char>(c) >> 4];
            entry += kHex[static_cast<unsigned char>(c) & 0xF];
        }
        entries.push_back(entry + ">");
    }
    entries.emplace_back("] dup 0 exch {length add} forall string exch 0 exch "
                         "{3 copy putinterval length add} forall pop cvx exec");
    return entries;
}

std::vector<std::string> WithPrologue(std::vector<std::string> args, const std::string& prologue)
{
    // "-c" takes every entry up to "-f" as PostScript.
    std::vector<std::string> entries = PrologueEntries(prologue);
    auto f = std::find(args.begin(), args.end(), std::string("-f"));
    args.insert(f, entries.begin(), entries.end());
    return args;
}

bool ConvertPsToPdf(const std::string& psFile, const std::string& pdfFile, TPageSink* progress,
                    const std::string& prologue, TRenderFault* fault)
{
    std::optional<std::string> psPath = ToLibraryPath(psFile);
    std::optional<std::string> pdfPath = ToLibraryPath(pdfFile);
    if (!psPath || !pdfPath)
        return false;
    std::vector<std::string> args = WithPrologue(BuildPdfWriteArguments(*psPath, *pdfPath), prologue);
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    TGsMessages messages;
    TGsOutput output{progress, fault ? &messages : nullptr};
    const bool finished = RunGhostscript(static_cast<int>(args.size()), argv.data(), &output);
    if (!finished && fault)
        *fault = ReadGsFault(messages.Text());
    return finished;
}

} // namespace folimar
