// The results of a batch's rows, written by the print-files thread before it posts a row's
// status and read by the window when the status arrives.
#pragma once

#include "batch/rules/row_result.h"

#include <map>
#include <mutex>
#include <optional>

namespace folimar {

class TRowResults {
public:
    void Set(size_t index, TRowResult result)
    {
        std::lock_guard<std::mutex> hold(lock_);
        results_[index] = std::move(result);
    }

    // The row's result, or nothing when the row has not ended.
    std::optional<TRowResult> Get(size_t index) const
    {
        std::lock_guard<std::mutex> hold(lock_);
        const auto found = results_.find(index);
        if (found == results_.end())
            return std::nullopt;
        return found->second;
    }

private:
    mutable std::mutex lock_;
    std::map<size_t, TRowResult> results_;
};

} // namespace folimar
