// The lines a batch and its converter process exchange: one request a job, one reply a render.
// Pure text, so both ends and their tests share it.
#pragma once

#include "render/gs_messages.h"

#include <optional>
#include <string>
#include <string_view>

namespace folimar {

// The argument that starts the console converter as a converter process: it renders the jobs that
// come on its standard input until that ends, each reply on its standard output.
inline constexpr char kRenderJobsArgument[] = "--render-jobs";

struct TRenderRequest {
    std::string psFile;  // the job
    std::string pdfFile; // the file Ghostscript writes
};

struct TRenderReply {
    bool rendered = false; // Ghostscript finished the job
    int pages = 0;         // the pages it rendered
    TRenderFault fault{};  // why it failed, when it did
};

// "JOB<tab>PDF\n"; empty when a path holds a tab or a line end (no Windows path does).
std::string RenderRequestLine(const TRenderRequest& request);
// A request line without its line end; nothing when it is not one.
std::optional<TRenderRequest> ParseRenderRequest(std::string_view line);

// "rendered PAGES\n", or "failed PAGES[ WRITE-ERROR[ GHOSTSCRIPT'S WORDS]]\n" (the words with any
// line end or tab made a space).
std::string RenderReplyLine(const TRenderReply& reply);
// A reply line without its line end; nothing when it is not one.
std::optional<TRenderReply> ParseRenderReply(std::string_view line);

// "page N\n": a page the render has reached (-1: the last page), sent before the reply, for a
// caller that shows progress.
std::string PageLine(int page);
// A page line without its line end; nothing when it is not one.
std::optional<int> ParsePageLine(std::string_view line);

// Takes the first whole line off the front of buffer, without its "\n"; nothing while no line is
// whole.
std::optional<std::string> TakeLine(std::string& buffer);

} // namespace folimar
