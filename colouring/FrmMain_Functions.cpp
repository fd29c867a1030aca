// The parents' function buttons: quit, save as JPEG, print, About and options. All but
// an unlocked quit ask for the parents' password first.

#include "FrmMain.h"

#include "frmMessage.h"
#include "frmParental.h"
#include "frmSplash.h"
#include "pButton.h"

#include <QApplication>

using namespace vb;

namespace {

const QString kSomethingHappened =
    QStringLiteral("Oh no!, something has happened. Call someone who can help you!");

} // namespace

bool FrmMain::AskParents(const QString& parents, const QString& child, bool password) {
    frmMessage& m = Forms::frmMessage();
    m.setExtendedInformation(parents);
    m.setMessage(child);
    m.setShowCancel(true);
    m.setPasswordVisible(password);
    Timer1->setEnabled(false);
    m.Show(true);
    return m.ButtonPressed == QLatin1String("Ok");
}

void FrmMain::pFunc_Click(int16_t Index) {
    switch (Index) {
    case 0:
        Quit();
        return;
    case 1:
        SaveAsJpeg();
        return;
    case 2:
        PrintPicture();
        return;
    case 3:
        if (AskParents(QStringLiteral("There was an attempt to view the 'About' box. You have to "
                                      "enter the password in order to continue."),
                       kSomethingHappened, true)) {
            Forms::frmSplash().setForm_style(0);
            Forms::frmSplash().Show(true);
        }
        Timer1->setEnabled(true);
        break;
    case 4:
        if (AskParents(QStringLiteral("There was an attempt to open the options screen. You "
                                      "have to enter the password in order to continue."),
                       kSomethingHappened, true)) {
            Forms::frmParental().Show(true);
            if (Forms::frmParental().OKclicked) ApplyNewSettings();
        }
        Timer1->setEnabled(true);
        break;
    default:
        break;
    }
    if (Tool != 3) Pc->show();
}

void FrmMain::Quit() {
    Forms::frmMessage().setPasswordVisible(false);
    const bool ok =
        QuitLocked
            ? AskParents(QStringLiteral("There was an attempt to quit The Tintavale. You have set "
                                        "a password lock on this function. Please enter your "
                                        "password and press OK to continue."),
                         QStringLiteral("Oh no!, something has happened when you tried to close "
                                        "me. Call someone who can help you!"),
                         true)
            : AskParents(QStringLiteral("There was an attempt to quit The Tintavale. If you wish "
                                        "to allow this, press OK."),
                         QStringLiteral("Are you sure you want to close this coloring book? Why "
                                        "don't you stay for a while?"),
                         false);
    Timer1->setEnabled(true);
    if (ok) SaveAndQuit();
}

void FrmMain::SaveAndQuit() {
    if (SaveBeforeLeaving(AfterFailedSave::Quitting)) Unload();
}

void FrmMain::CloseRequested() {
    // A locked quit needs the parents' password, which a window manager cannot give; and
    // while another window holds the input the quit button cannot be pressed either.
    if (QuitLocked || !Loaded || !Me()->isEnabled() || QApplication::activeModalWidget()) return;
    SaveAndQuit();
}

void FrmMain::ApplyNewSettings() {
    Form_Load();
    Tool = 0;
    if (!P->Visible()) return;
    c[0]->setEnabled(true);
    c[1]->setEnabled(true);
    c[3]->setEnabled(true);
    if (UndoIndex >= 0) c[2]->setEnabled(true);
    for (pButton* t : pTool) t->setEnabled(true);
    pTool[0]->setPressed(true);
    ColorJitter = 10;
}
