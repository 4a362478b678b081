// The course of one conversion, PostScript job to PDF through a temporary file: which file step
// comes when and what a failure means. The steps themselves touch the files (pdf_conversion).
#pragma once

#include "render/gs_messages.h"

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace folimar {

// Why a conversion ended as it did.
enum class TConvertReason {
    Made,              // the PDF is complete and in place
    EmptyJob,          // the job has no bytes: nothing to convert
    SameFile,          // the PDF's path names the job file itself
    JobUnreadable,     // the job could not be looked at or its header read (error tells why)
    FolderNotWritable, // no temporary PDF could be made in the PDF's folder (error tells why)
    RenderFailed,      // Ghostscript reported an error
    WriteFailed,       // Ghostscript could not write the PDF (error tells why)
    Incomplete,        // Ghostscript ended, but the file it wrote is not a whole PDF (error tells why, if known)
    NotPlaced,         // the whole PDF could not replace the target (error tells why)
    Cancelled,
    DiskFull,     // the render was ended: its temporary PDF was taking the last free space
    PagesMissing, // the job ended pages before the last one its header announces
};

struct TConvertOutcome {
    TConvertReason reason = TConvertReason::RenderFailed;
    DWORD error = ERROR_SUCCESS; // the system's code, for the reasons that have one
    int pagesFound = 0;          // PagesMissing: the pages rendered and those the header announces
    int pagesAnnounced = 0;
    // RenderFailed: Ghostscript's own words for its error ("undefined: foo", "rangecheck in
    // --setpagedevice--"); empty when it gave none.
    std::string gsError{};

    bool Made() const { return reason == TConvertReason::Made; }
};

// How a render ended.
enum class TRenderEnd {
    Rendered,
    Failed,   // Ghostscript reported an error, or the renderer itself failed
    Stopped,  // ended on request before it finished
    DiskFull, // ended because the temporary PDF was taking the last free space of its disk
};

// The pages of a rendered job: those rendered, and those its header announces (0: not known);
// endsWhole: the job ends as a whole document does (see JobEndsWhole).
struct TPageCount {
    int found = 0;
    int announced = 0;
    bool endsWhole = false;
};

// Whether a job was cut off on its way: fewer pages came than its header announces, and the job
// does not end whole. A header's count alone is often wrong (a document that was edited, a driver
// that counts sheets): a job that ends whole is made whatever its header says.
bool PagesMissing(const TPageCount& pages);

// How a job's last bytes end it: whether a trailer ("%%Trailer" or "%%EOF") follows its last page,
// and the ordinal of its last "%%Page:" (0 when the bytes hold none).
struct TJobEnd {
    bool closed = false;
    int lastPage = 0;
};

// Reads the end of a job from its last bytes (a DSC job's trailer is short).
TJobEnd ReadJobEnd(std::string_view tail);

// Whether a job of that end, of which found pages were rendered, ends whole: a trailer follows its
// last page, and Ghostscript did not meet the end of the file inside that page.
bool JobEndsWhole(const TJobEnd& end, int found);

// The file operations of one conversion, called by RunConversion in this order.
class TConversionSteps {
public:
    virtual ~TConversionSteps() = default;
    // The job's size in bytes; nothing, with error set, when it cannot be looked at.
    virtual std::optional<uint64_t> JobSize(DWORD& error) = 0;
    virtual bool OutputIsJob() = 0;
    // Reserves the temporary PDF beside the target; false, with error set, when it cannot.
    virtual bool MakeTempPdf(DWORD& error) = 0;
    // Puts the document information where the run takes it; false, with error set, when the
    // job's header cannot be read.
    virtual bool AddDocInfo(DWORD& error) = 0;
    virtual TRenderEnd Render() = 0;
    // Why the failed render failed, as far as it was told.
    virtual TRenderFault RenderFault() = 0;
    // Whether the temporary PDF is whole; false, with error set when the system tells why (else
    // ERROR_SUCCESS), when not.
    virtual bool TempPdfComplete(DWORD& error) = 0;
    // The pages the render found against those announced; nothing when not to be checked.
    virtual std::optional<TPageCount> RenderedPages() = 0;
    // Whether the caller has asked the conversion to end: then no PDF is put in place.
    virtual bool StopRequested() = 0;
    // Moves the temporary PDF in place of the target; false, with error set, when it cannot.
    virtual bool PlacePdf(DWORD& error) = 0;
    // Removes the temporary PDF when it is still there (not after a successful PlacePdf).
    virtual void RemoveTempPdf() = 0;
};

// Between the converting thread and one that may cancel the conversion: a cancel keeps the
// temporary PDF from being made or put in place, and a PDF in place from being cancelled.
class TConversionGate {
public:
    // Runs step (under the gate) unless cancelled; step's answer, or false when cancelled.
    template <class Step> bool Enter(Step&& step)
    {
        std::lock_guard<std::mutex> hold(lock_);
        return !cancelled_ && step();
    }

    // Runs place unless cancelled; once it succeeded, a cancel is refused.
    template <class Place> bool Commit(Place&& place)
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (cancelled_)
            return false;
        committed_ = place();
        return committed_;
    }

    // From now on nothing is made or put in place; undo runs under the gate (it removes what was
    // made). False, and undo not run, when the PDF is in place already.
    template <class Undo> bool Cancel(Undo&& undo)
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (committed_)
            return false;
        cancelled_ = true;
        undo();
        return true;
    }

    bool Cancelled()
    {
        std::lock_guard<std::mutex> hold(lock_);
        return cancelled_;
    }

private:
    std::mutex lock_;
    bool cancelled_ = false;
    bool committed_ = false;
};

// Runs the steps: an empty job or one the PDF would replace is refused before anything is made;
// the PDF is rendered into the temporary file and put in place only when whole, with every
// announced page and no stop asked for, so an older file at the target stays on every failure;
// the temporary file never outlives the run.
TConvertOutcome RunConversion(TConversionSteps& steps, TConversionGate& gate);

} // namespace folimar
