// One Ghostscript run: PostScript in, PDF out, page progress posted to a window.
#pragma once

#include "render/gs_messages.h"
#include "render/page_progress.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace folimar {

// The code Ghostscript returns after a job ran the quit operator.
inline constexpr int kGsErrorQuit = -101;

// Whether a run that returned this code finished its job: no error, or the job's own quit.
bool GsRunSucceeded(int code);

// Renders psFile into pdfFile with the pdfwrite device; true when the library finished the job.
// Page markers go to progress when one is given. prologue is PostScript run before the job. When
// the run fails, fault (when given) gets what Ghostscript said of it.
bool ConvertPsToPdf(const std::string& psFile, const std::string& pdfFile, TPageSink* progress = nullptr,
                    const std::string& prologue = {}, TRenderFault* fault = nullptr);

// What a run hands to the library's output callbacks; either part may be null.
struct TGsOutput {
    TPageSink* progress = nullptr;   // gets the page markers of the standard output
    TGsMessages* messages = nullptr; // keeps the end of the standard output and error
};

// One library instance from creation to deletion over the given arguments; caller is handed to the
// output callbacks (a TGsOutput, or null).
bool RunGhostscript(int argc, char** argv, void* caller = nullptr);

struct GsApi;
// The same run through the given library calls.
bool RunGhostscriptWith(const GsApi& gs, int argc, char** argv, void* caller = nullptr);

int GsStdin(void* caller, char* buf, int len);
int GsStdout(void* caller, const char* str, int len);
int GsStderr(void* caller, const char* str, int len);

// The arguments of a conversion, as handed to the library.
std::vector<std::string> BuildPdfWriteArguments(const std::string& psPath, const std::string& pdfPath);

// The longest argument the library takes: a longer one fails the whole run ("Command too long").
inline constexpr size_t kMaxGsArgument = 2047;

// The "-c" entries that run prologue: itself when it fits one argument, else pieces of at most
// kMaxGsArgument bytes that put it together and run it. None for an empty prologue.
std::vector<std::string> PrologueEntries(std::string_view prologue);

// The arguments with the prologue's entries after the "-c" entries, so that it runs before the
// job. Nothing changes for an empty prologue.
std::vector<std::string> WithPrologue(std::vector<std::string> args, const std::string& prologue);

} // namespace folimar
