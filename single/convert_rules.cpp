// The single-job window's rules over strings and numbers.
#include "single/convert_rules.h"

#include "files/text_rules.h"

#include <algorithm>
#include <string_view>

namespace folimar {

namespace {

bool IsBlank(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), IsControlOrSpace);
}

} // namespace

bool ConvertEnabled(const std::string& jobFile, bool busy, bool jobExists, const std::string& outputText)
{
    return !jobFile.empty() && !busy && jobExists && !IsBlank(outputText);
}

std::string OverwriteQuestion(const std::string& pdfPath)
{
    return "\"" + pdfPath + "\" aleady exists, overwrite it?";
}

std::string DeviceNameRefusal(const std::string& path)
{
    return "\"" + path + "\" is the name of a Windows device, not of a file: choose another name";
}

TBarState StartBar(int32_t pageCount)
{
    if (pageCount <= 0)
        return {true, 1, 0};
    return {false, pageCount, 0};
}

TBarState PageProgress(const TBarState& bar, int64_t page)
{
    if (page == -1)
        return {false, bar.max, bar.max};
    if (bar.marquee || page <= 0)
        return bar; // without a page count a page number says nothing about how far along we are
    return {false, bar.max, static_cast<int32_t>(std::min<int64_t>(page, bar.max))};
}

TBarState FinishBar(const TBarState& bar)
{
    if (bar.marquee)
        return {false, bar.max, bar.max};
    return bar;
}

std::string PageText(int64_t page, int32_t pageCount)
{
    if (page <= 0)
        return {};
    if (pageCount <= 0)
        return "page " + std::to_string(page);
    return "page " + std::to_string(std::min<int64_t>(page, pageCount)) + " of " + std::to_string(pageCount);
}

std::string FailureMessage(const std::string& reason)
{
    return reason.empty() ? kConversionFailedText : std::string(kConversionFailedText) + "\n" + reason;
}

} // namespace folimar
