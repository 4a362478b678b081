// Gathers a job's document information and appends the pdfmark fragment to the job file.
#include "jobprep/doc_info.h"

#include "base/printer_constants.h"
#include "files/code_pages.h"
#include "files/text_rules.h"
#include "jobprep/dsc_header.h"
#include "jobprep/gmttime.h"
#include "win/handle.h"

#include <windows.h>

namespace folimar {

std::string UnicodeHexString(const std::string& s)
{
    const std::u16string units = Utf8ToUtf16(DscTextToUtf8(s));
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string hex = "<FEFF";
    hex.reserve(hex.size() + units.size() * 4 + 1);
    for (char16_t u : units) {
        for (int shift = 12; shift >= 0; shift -= 4)
            hex += kHex[(u >> shift) & 0xF];
    }
    hex += '>';
    return hex;
}

void DocInfoFromHeader(const std::string& fileName, TPDFDocInfo& docInfo)
{
    TPSHeaderInfo header;
    if (!ReadDscHeader(fileName, header))
        return;
    docInfo.Author = header.For.Value;
    docInfo.CreationDate = header.CreationDate.Value;
    docInfo.Creator = kAppTitle;
    docInfo.Keywords.clear();
    docInfo.ModDate = CompactLocalDate();
    docInfo.Subject.clear();
    docInfo.Title = header.Title.Value;
}

void AppendDocInfo(const std::string& fileName)
{
    TPDFDocInfo docInfo;
    DocInfoFromHeader(fileName, docInfo); // a header read error leaves the job untouched
    const TGMTTime gmt;
    const std::string fragment = BuildDocInfoFragment(docInfo, gmt.UtcOffset(), UnicodeHexString);

    // A job that cannot be written keeps its own document information; that is not an error.
    // Wine lets root open a read-only file for writing, which Windows refuses to anyone.
    const DWORD attributes = ::GetFileAttributesA(fileName.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return;
    win::UniqueHandle file(
        ::CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(file.get(), zero, nullptr, FILE_END))
        return;
    DWORD written = 0;
    ::WriteFile(file.get(), fragment.data(), static_cast<DWORD>(fragment.size()), &written, nullptr);
}

} // namespace folimar
