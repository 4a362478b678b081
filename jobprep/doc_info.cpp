// Builds the pdfmark fragment that sets a job's document information.
#include "jobprep/doc_info.h"

namespace folimar {

namespace {

std::string PostScriptText(const std::string& text, TTextEncoder encodeText)
{
    return text.empty() ? "()" : encodeText(text);
}

} // namespace

std::string EscapePostScriptString(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\' || c == '(' || c == ')')
            out += '\\';
        out += c;
    }
    return out;
}

std::string PostScriptDate(const std::string& digits, std::string_view utcOffset)
{
    // The digits come from the job's own header and may hold parentheses or backslashes,
    // which would otherwise end the string early and break the whole job.
    if (digits.empty())
        return "()";
    return "(D:" + EscapePostScriptString(digits) + std::string(utcOffset) + ")";
}

std::string BuildDocInfoFragment(const TPDFDocInfo& docInfo, std::string_view utcOffset, TTextEncoder encodeText)
{
    const std::string lines[] = {
        "",
        // Interpreters without pdfmark drop the entries as a cleartomark would.
        "/pdfmark where {pop} {userdict /pdfmark /cleartomark load put} ifelse",
        "[",
        "",
        "",
        "/Author " + PostScriptText(docInfo.Author, encodeText),
        "/CreationDate " + PostScriptDate(docInfo.CreationDate, utcOffset),
        "/Creator " + PostScriptText(docInfo.Creator, encodeText),
        "/Keywords " + PostScriptText(docInfo.Keywords, encodeText),
        "/ModDate " + PostScriptDate(docInfo.ModDate, utcOffset),
        "/Subject " + PostScriptText(docInfo.Subject, encodeText),
        "/Title " + PostScriptText(docInfo.Title, encodeText),
        "/DOCINFO pdfmark",
        "%%EOF",
    };
    std::string fragment;
    for (const std::string& line : lines) {
        if (&line != &lines[0])
            fragment += '\r';
        fragment += line;
    }
    return fragment;
}

} // namespace folimar
