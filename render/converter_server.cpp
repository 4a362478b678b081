// The converter process's loop.
#include "render/converter_server.h"

#include "render/converter_protocol.h"
#include "render/gsapi.h"
#include "render/library_path.h"

#include <string>

namespace folimar {

namespace {

bool WriteAll(HANDLE out, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        DWORD written = 0;
        if (!::WriteFile(out, text.data() + done, static_cast<DWORD>(text.size() - done), &written, nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

// Counts the pages and tells the caller of each as it comes.
class TPipePages final : public TPageSink {
public:
    explicit TPipePages(HANDLE out) : out_(out) {}
    void Report(int page) noexcept override
    {
        counter_.Report(page);
        try {
            WriteAll(out_, PageLine(page));
        } catch (...) {
            // Progress is a courtesy: the reply still comes.
        }
    }
    int Highest() const noexcept { return counter_.Highest(); }

private:
    HANDLE out_;
    TPageCounter counter_;
};

TRenderReply Render(std::string_view line, HANDLE out)
{
    TRenderReply reply;
    const std::optional<TRenderRequest> request = ParseRenderRequest(line);
    if (!request)
        return reply;
    try {
        TPipePages pages(out);
        reply.rendered = ConvertPsToPdf(request->psFile, request->pdfFile, &pages, {}, &reply.fault);
        reply.pages = pages.Highest();
    } catch (...) {
        reply.rendered = false;
    }
    return reply;
}

} // namespace

int ServeRenders(HANDLE in, HANDLE out)
{
    // The batch gave this process a temporary folder of its own, removed when the process ends.
    LibraryTempFolderFromTemp();
    std::string buffer;
    char chunk[4096];
    for (;;) {
        while (std::optional<std::string> line = TakeLine(buffer))
            if (!WriteAll(out, RenderReplyLine(Render(*line, out))))
                return 1;
        DWORD read = 0;
        if (!::ReadFile(in, chunk, sizeof chunk, &read, nullptr) || read == 0)
            return 0;
        buffer.append(chunk, read);
    }
}

} // namespace folimar
