// A window shown modally over its owner: the owner is disabled while a loop of its own runs.
#pragma once

#include "win/form.h"

namespace win {

class ModalWindow : public Form {
public:
    // Creates the window over owner, disables owner and serves messages (with dialog keys) until a
    // result is set that CloseQuery accepts, then destroys the window. Returns that result (IDOK,
    // IDCANCEL, ...), IDCANCEL when the application is asked to quit meanwhile, or 0 if the window
    // cannot be made.
    int ShowModal(HWND owner);

protected:
    // Makes the window (not yet shown) owned by owner, for instance with CreateDialogForm.
    virtual bool CreateModal(HWND owner) = 0;

    // Makes a window of the form's class (painted in the form colour) with a dialog frame, owned
    // by owner and centred on it, with its fonts, controls and FormCreate.
    bool CreateDialogForm(HWND owner, const FormClass& form);

    // The close box closes as Cancel does; the modal loop asks and destroys the window.
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Asked once a result is set; may change it. False keeps the window open.
    virtual bool CloseQuery(int& /*result*/) { return true; }

    // Ends the modal loop with result (non-zero), subject to CloseQuery.
    void SetModalResult(int result) { modalResult_ = result; }

private:
    int modalResult_ = 0;
};

} // namespace win
