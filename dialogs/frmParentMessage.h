#pragma once
// The parents' message window: a text, "Continue" and, when the caller offers it,
// "Cancel". Callers set the text, show it modally and, if they offered Cancel, read
// CancelPressed afterwards.

#include "Form.h"
#include "Widgets.h"

class frmParentMessage : public vb::Form {
    Q_OBJECT
public:
    frmParentMessage();

    // True when the showing that has just ended was closed with Cancel; false at every load.
    bool CancelPressed = false;

    // Write-only properties; each loads the window.
    void setMessage(const QString& text);
    void setCancelVisible(bool visible);

    // Controls; they exist while the window is loaded.
    vb::PictureArea* pM = nullptr;
    vb::Label* lMessage = nullptr;
    vb::Label* lCancel = nullptr;
    vb::Label* lContinue = nullptr;

    void lCancel_Click();
    void lContinue_Click();

protected:
    void CreateControls(vb::PictureArea* window) override;
    void Form_Load() override;
    // Cancel when it is offered; otherwise Continue, which then only closes the window.
    void CloseRequested() override;

private:
    void CloseWindow();
};

namespace Forms {
::frmParentMessage& frmParentMessage();
}
