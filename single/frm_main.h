// The single-job window: one captured print job, converted to one PDF.
#pragma once

#include "win/window.h"

#include <string>

namespace folimar {

class TfrmMain : public win::Window {
public:
    static constexpr char kClassName[] = "TfrmMain";
    static constexpr int kClientWidth = 403;
    static constexpr int kClientHeight = 224;

    bool Create();

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void FormCreate();

    std::string FJobFile;
    std::string FCompanionFile;
    std::string FDocTitle;
    std::string FOutputName;
};

} // namespace folimar
