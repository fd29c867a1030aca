#pragma once
// One window with two modes: the loading window, shown without waiting while the picture
// library is read, with a progress line; and the About box, shown modally, with Close,
// Help and Visit Website. While it is loaded the colouring window's bubbles stand still.

#include "Form.h"
#include "Widgets.h"

class frmSplash : public vb::Form {
    Q_OBJECT
public:
    frmSplash();

    // 1 the loading window, 0 the About box. Setting it loads the window, whose load
    // step then already sees the new mode.
    int32_t Form_style() const { return storedStyle_; }
    void setForm_style(int32_t vNewValue);
    // The progress line of the loading window.
    void setProgressText(const QString& M);

    // The bubble timer's state when the window last loaded, given back at unload.
    bool TimerWasEnabled = false;

    // Controls; they exist while the window is loaded.
    vb::PictureArea* pM = nullptr;
    vb::Label* Label1 = nullptr;
    vb::Label* Label2 = nullptr;
    vb::Label* lProgress = nullptr;
    vb::Label* Command1 = nullptr;
    vb::Label* Command2 = nullptr;
    vb::Label* Command3 = nullptr;

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Label1_Click();

protected:
    void CreateControls(vb::PictureArea* window) override;
    void Form_Load() override;
    void Form_Unload(int16_t& Cancel) override;
    // Close when the About box shows it; the loading window waits for the scan.
    void CloseRequested() override;

private:
    int32_t storedStyle_ = 0;
};

namespace Forms {
::frmSplash& frmSplash();
}
