#pragma once
// The greeting of the first run: shown by the options window when there is no settings
// file yet, before the options themselves. Its one action is Continue.

#include "Form.h"
#include "Widgets.h"

class frmFirstTime : public vb::Form {
    Q_OBJECT
public:
    frmFirstTime();

    // Controls; they exist while the window is loaded.
    vb::PictureArea* pM = nullptr;
    vb::Label* Label3 = nullptr;
    vb::Label* Label4 = nullptr;
    vb::Label* Label6 = nullptr;
    vb::Label* Label8 = nullptr;
    vb::Label* Command1 = nullptr;

protected:
    void CreateControls(vb::PictureArea* window) override;
    void Form_Load() override;
    // Continue only closes the window, so it is the window's close too.
    void CloseRequested() override { Command1_Click(); }

private:
    void Command1_Click();
};

namespace Forms {
::frmFirstTime& frmFirstTime();
}
