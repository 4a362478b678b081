// One conversion of a PostScript job into a PDF file over the real files: the steps that
// RunConversion orders, with the temporary PDF beside the target.
#pragma once

#include "render/conversion_rules.h"
#include "render/page_progress.h"
#include "render/pdf_output.h"

#include <memory>
#include <string>

namespace folimar {

// Where the document information of the job's own header goes.
enum class TDocInfoPlace {
    AppendToJob, // the job file is the program's own: the pdfmark is appended to it
    Prologue,    // the job stays as it is: the pdfmark reaches Ghostscript before it
};

// Renders jobs in place of the library in this process: in a process that can be ended, say.
class TRenderer {
public:
    virtual ~TRenderer() = default;
    // Renders psFile into pdfFile; pages gets the number of pages rendered, and fault why a failed
    // render failed.
    virtual TRenderEnd Render(const std::string& psFile, const std::string& pdfFile, int& pages,
                              TRenderFault& fault) = 0;
};

struct TConvertRequest {
    std::string jobFile; // the PostScript job, without quotes
    std::string pdfFile; // the PDF to make
    TDocInfoPlace docInfo = TDocInfoPlace::AppendToJob;
    TPageSink* progress = nullptr; // receives the page markers when given
    // Renders instead of the library in this process, with the document information appended to the
    // job (AppendToJob).
    TRenderer* renderer = nullptr;
    HANDLE stop = nullptr; // a manual-reset event: once set, no PDF is put in place
};

// Made without touching anything; Run converts, Cancel may stop it from another thread.
class TPdfConversion : private TConversionSteps {
public:
    explicit TPdfConversion(TConvertRequest request) : request_(std::move(request)) {}
    TPdfConversion(const TPdfConversion&) = delete;
    TPdfConversion& operator=(const TPdfConversion&) = delete;

    const TConvertRequest& Request() const { return request_; }

    // Converts on the calling thread; once. Never raises: an unexpected error is a failed render.
    TConvertOutcome Run();

    // From any thread: nothing is made or put in place from now on, and the temporary PDF is
    // removed. False when the PDF is in place already. Ghostscript itself cannot be stopped: a
    // running render goes on (into a file that is gone) until the caller ends the process or it
    // ends by itself.
    bool Cancel();

private:
    std::optional<uint64_t> JobSize(DWORD& error) override;
    bool OutputIsJob() override;
    bool MakeTempPdf(DWORD& error) override;
    bool AddDocInfo(DWORD& error) override;
    TRenderEnd Render() override;
    TRenderFault RenderFault() override { return fault_; }
    bool TempPdfComplete(DWORD& error) override;
    std::optional<TPageCount> RenderedPages() override;
    bool StopRequested() override;
    bool PlacePdf(DWORD& error) override;
    void RemoveTempPdf() override;

    TConvertRequest request_;
    TConversionGate gate_;
    // Made once, under the gate, and kept to the end: Cancel reads it from another thread.
    std::unique_ptr<TTempPdf> temp_;
    std::string prologue_;
    std::optional<int> renderedPages_; // known once a render has ended
    TRenderFault fault_;
};

} // namespace folimar
