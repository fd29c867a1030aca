#pragma once
// The options window: the parents' password and the four options, read from and written
// to "Settings.txt". The caller shows it modally and then reads OKclicked.

#include "Form.h"
#include "Settings.h"
#include "Widgets.h"

#include <QLineEdit>
#include <QRadioButton>
#include <array>
#include <optional>

class frmParental : public vb::Form {
    Q_OBJECT
public:
    frmParental();

    // True once Okay has written a complete settings file; False from every load.
    bool OKclicked = false;

    // Controls; they exist while the window is loaded.
    vb::PictureArea* pM = nullptr;
    vb::CheckBox* Check1 = nullptr;   // play sound effects
    std::array<vb::CheckBox*, 3> O{}; // only O(2), allow quitting, exists
    vb::CheckBox* Check2 = nullptr;   // auto-hide
    std::array<vb::Label*, 1> Label1{};
    std::array<QRadioButton*, 3> Option1{}; // fast, medium, slow
    vb::Label* Label2 = nullptr;
    QLineEdit* Text1 = nullptr;
    QFrame* Shape1 = nullptr;
    vb::Label* Label3 = nullptr;     // the link to the coloured pictures
    std::array<vb::Label*, 2> Lab{}; // 0 Okay, 1 Cancel

    void Lab_Click(int16_t Index);
    void Label3_Click();

protected:
    void CreateControls(vb::PictureArea* window) override;
    void Form_Load() override;
    void CloseRequested() override { Lab_Click(1); }

private:
    // Set when the last load could not read a settings file that exists: Cancel then
    // ends the program, once the colouring has begun the quit's way (the picture saved).
    bool SettingsUnreadable = false;
    // Auto-hide as the last good read found it.
    int16_t AutoHideWasOn = 0;
};

namespace Forms {
::frmParental& frmParental();
}

// The parents' message when Okay could not save the settings: why, then which password
// opens now. `now` is the password the file holds after the attempt (nothing when none can
// be read), `before` the one it held before, `typed` the new one.
QString SettingsNotSavedText(Settings::WriteResult result, const std::optional<QString>& now,
                             const std::optional<QString>& before, const QString& typed);
