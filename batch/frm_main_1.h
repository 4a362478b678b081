// The batch window: a list of documents printed to the virtual printer and converted.
#pragma once

#include "win/window.h"

namespace folimar {

class TfrmMain_1 : public win::Window {
public:
    static constexpr char kClassName[] = "TfrmMain_1";
    static constexpr int kClientWidth = 583;
    static constexpr int kClientHeight = 407;

    bool Create();

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

} // namespace folimar
