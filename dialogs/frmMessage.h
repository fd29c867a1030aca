#pragma once
// The message window: a text for the child, behind a details button a text for the
// parents, OK and an optional "nevermind". For locked functions OK asks for the parents'
// password. Callers set the texts, show it modally and then read ButtonPressed.

#include "Form.h"
#include "Widgets.h"

#include <QLineEdit>

class pButton;

class frmMessage : public vb::Form {
    Q_OBJECT
public:
    frmMessage();

    // The window's heights in twips: collapsed, with the parents' text, with the password row.
    static constexpr float CollapsedHeight = 2400;
    static constexpr float DetailsHeight = 3705;
    static constexpr float PasswordHeight = 4170;

    // "Ok" or "Cancel"; "Cancel" from every load until OK closes the window.
    QString ButtonPressed;
    QString Password_result;

    // Write-only properties. All but PasswordVisible load the window.
    void setPasswordVisible(bool v) { PasswordVisible = v; }
    void setExtendedInformation(const QString& text);
    void setMessage(const QString& text);
    void setShowCancel(bool show);

    // Controls; they exist while the window is loaded.
    QLineEdit* Text1 = nullptr;
    pButton* Check1 = nullptr;
    pButton* cOut1 = nullptr;
    pButton* cOut2 = nullptr;
    vb::Label* ll = nullptr;
    vb::Label* Label2 = nullptr;
    vb::Label* Label1 = nullptr;
    QFrame* Shape1 = nullptr;

    void Check1_click();
    void cOut1_click();
    void cOut2_click();
    void Text1_KeyDown(int16_t KeyCode, int16_t Shift);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void CreateControls(vb::PictureArea* window) override;
    void Form_Load() override;
    // "nevermind" when it shows; OK is an answer, so a plain notice waits for it.
    void CloseRequested() override;

private:
    // Sets the height and draws the frame anew around the new size.
    void Resize(float height);

    // When set, OK demands the parental password. Kept across showings; no load sets it.
    bool PasswordVisible = false;
};

namespace Forms {
::frmMessage& frmMessage();
}
