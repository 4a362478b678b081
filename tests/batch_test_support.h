// What the batch and converter tests share: small PostScript documents, and the statuses a batch
// posts, collected while the test's messages are served.
#pragma once

#include "batch/rules/batch_status.h"

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// A document of pages pages, each drawn and shown, titled title, whose header announces announced
// pages (pages when -1, no count when 0); tail runs after the last page.
inline std::string PostScriptDocument(const std::string& title, int pages, int announced = -1,
                                      const std::string& tail = "%%EOF\n")
{
    std::string ps = "%!PS-Adobe-3.0\n%%Title: " + title + "\n";
    if (announced != 0)
        ps += "%%Pages: " + std::to_string(announced < 0 ? pages : announced) + "\n";
    ps += "%%EndComments\n/Helvetica findfont 20 scalefont setfont\n";
    for (int p = 1; p <= pages; ++p)
        ps += "%%Page: " + std::to_string(p) + " " + std::to_string(p) + "\n72 700 moveto (page " + std::to_string(p) +
              ") show showpage\n";
    return ps + tail;
}

using BatchStatus = std::pair<WPARAM, LPARAM>;

// Serves this thread's messages and adds each WM_BATCH_STATUS to got (onStatus sees it first) until
// BATCH_FINISHED; false when none came within timeoutMs.
inline bool CollectBatchStatuses(DWORD timeoutMs, std::vector<BatchStatus>& got,
                                 const std::function<void(const BatchStatus&)>& onStatus = {})
{
    for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < timeoutMs;) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != folimar::WM_BATCH_STATUS) {
                ::DispatchMessageA(&msg);
                continue;
            }
            got.emplace_back(msg.wParam, msg.lParam);
            if (onStatus)
                onStatus(got.back());
            if (msg.wParam == folimar::BATCH_FINISHED)
                return true;
        }
    }
    return false;
}

} // namespace testing_support
