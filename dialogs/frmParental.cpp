#include "frmParental.h"

#include "AppPath.h"
#include "EndProgram.h"
#include "FrmMain.h"
#include "Screen.h"
#include "Settings.h"
#include "Shell.h"
#include "StdPicture.h"
#include "frmFirstTime.h"
#include "frmMessage.h"
#include "frmOpen.h"
#include "frmParentMessage.h"
#include "frmSplash.h"
#include "mWindow.h"

#include <QFileInfo>
#include <QValidator>
#include <optional>

using namespace vb;

namespace {

const QString PasswordTip = QStringLiteral(
    "A password is required when unlocking locked items, please enter it here if you wish to "
    "change the current password");

// Shows a notice to the parents; with `offerCancel`, true when they pressed Cancel.
bool ParentMessage(const QString& text, bool offerCancel = false) {
    auto& pm = Forms::frmParentMessage();
    if (offerCancel) pm.setCancelVisible(true);
    pm.setMessage(text);
    pm.Show(true);
    return offerCancel && pm.CancelPressed;
}

// The password box takes only what the settings file can store and give back unchanged.
class PasswordValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return Settings::IsPasswordText(input) ? Acceptable : Invalid;
    }
};

} // namespace

QString SettingsNotSavedText(Settings::WriteResult result, const std::optional<QString>& now,
                             const std::optional<QString>& before, const QString& typed) {
    QString text = QStringLiteral("There was an error while trying to save the settings.\r\n\r\n");
    text += result == Settings::WriteResult::FolderInTheWay
                ? QStringLiteral("A folder named 'Settings.txt' stands where the settings file "
                                 "should be: move or rename it, then click Okay again.")
                : QStringLiteral("Make sure the disk is not write protected and there is enough "
                                 "space.");
    text += QStringLiteral("\r\n\r\n");
    if (result == Settings::WriteResult::Damaged)
        text += QStringLiteral("The settings file could not be put back as it was. ");
    if (!now)
        return text + QStringLiteral("No password can be read from the settings file, so The "
                                     "Tintavale will ask for the settings again when it next "
                                     "starts.");
    if (before && Settings::SamePassword(*now, *before))
        return text + QStringLiteral("The old password still opens the locked functions.");
    if (Settings::SamePassword(*now, typed))
        return text + QStringLiteral("The new password opens the locked functions.");
    return text + QStringLiteral("Neither password opens the locked functions: delete "
                                 "'Settings.txt' in the program's folder, and The Tintavale will "
                                 "then ask for new settings.");
}

frmParental::frmParental() : Form(Style::Secondary) {}

void frmParental::CreateControls(PictureArea* window) {
    window->setWindowTitle(QStringLiteral("Options"));
    window->resize(5115 / TwipsPerPixel, 4365 / TwipsPerPixel);

    pM = new PictureArea(window);
    pM->setBackColor(0xFFFFFF);
    PlaceTwips(pM, 120, 120, 4875, 4095);

    const QFont tahoma = VbFont(QStringLiteral("Tahoma"), 9.75);
    const QFont bold = VbFont(QStringLiteral("Tahoma"), 9.75, true);
    auto check = [&](const char* text, double l, double t, double w, double h, const char* tip) {
        auto* c = new CheckBox(QString::fromLatin1(text), pM);
        c->setFont(tahoma);
        c->setToolTip(QString::fromLatin1(tip));
        PlaceTwips(c, l, t, w, h);
        return c;
    };
    auto label = [&](const char* text, double l, double t, double w, double h) {
        auto* lb = new Label(QString::fromLatin1(text), pM);
        lb->setFont(tahoma);
        PlaceTwips(lb, l, t, w, h);
        return lb;
    };

    Check1 = check("Play sound effects", 240, 120, 2295, 375, "Disable/enable sound effects");
    Check1->setValue(1);
    O[2] = check("Allow quitting without permission", 240, 600, 4575, 375,
                 "If you leave this option unchecked, a password will have to be entered to quit "
                 "The Tintavale");
    Check2 = check("Auto-hide parental buttons", 240, 1080, 2775, 375,
                   " Ticking this box will cause The Tintavale to hide the quit, save, print, "
                   "settings and help options when they are not in use");

    Label1[0] = label("Bubble speed:", 240, 1680, 1335, 375);
    const char* speeds[] = {"Fast", "Medium", "Slow"};
    const double speedPlaces[][2] = {{480, 735}, {1440, 1095}, {2640, 855}};
    for (int i = 0; i < 3; ++i) {
        Option1[i] = new QRadioButton(QString::fromLatin1(speeds[i]), pM);
        Option1[i]->setFont(tahoma);
        PlaceTwips(Option1[i], speedPlaces[i][0], 2040, speedPlaces[i][1], 375);
    }
    Option1[1]->setChecked(true);

    Label2 = label("Parental password:", 240, 2520, 2055, 255);
    Label2->setToolTip(PasswordTip);

    Shape1 = NewPasswordOutline(pM);
    PlaceTwips(Shape1, 465, 2880, 2805, 360);
    Text1 = NewPasswordBox(pM);
    Text1->setToolTip(PasswordTip);
    Text1->setValidator(new PasswordValidator(Text1));
    PlaceTwips(Text1, 480, 2895, 2775, 330);

    Label3 = label("Open the 'colored pictures' folder", 240, 3360, 2850, 240);
    Label3->SizeToText();
    Label3->setToolTip(QStringLiteral(
        "Click here to open the folder where all the pictures that have so far been colored "
        "are stored"));
    connect(Label3, &Label::Click, this, &frmParental::Label3_Click);

    Lab[1] = label("Cancel", 3480, 3840, 630, 240);
    Lab[0] = label("Okay", 4320, 3840, 480, 240);
    for (int16_t i = 0; i < 2; ++i) {
        Lab[i]->setFont(bold);
        Lab[i]->SizeToText();
        connect(Lab[i], &Label::Click, this, [this, i] { Lab_Click(i); });
    }
}

void frmParental::Form_Load() {
    Me()->setBackColor(0xFFFFFF);
    DrawWindowEdge(hWnd(), hDC(), 5, 15);
    OKclicked = false;
    const QCursor hand = LoadResPicture(101, vbResCursor).toCursor();
    for (QWidget* w : {static_cast<QWidget*>(Lab[0]), static_cast<QWidget*>(Lab[1]),
                       static_cast<QWidget*>(Label3)})
        w->setCursor(hand);

    // The reader fills in line after line, so a bad line leaves the ones before it shown
    // and the initial states for the rest.
    Settings::OptionsSettings s;
    const QString path = Settings::SettingsPath();
    const bool ok = Settings::ReadOptionsSettings(path, s);
    Text1->setText(s.Password);
    O[2]->setValue(s.AllowQuit);
    Check1->setValue(s.PlaySound);
    Check2->setValue(s.AutoHide);
    Option1[s.SpeedIndex]->setChecked(true);

    if (ok) {
        AutoHideWasOn = Check2->Value();
        SettingsUnreadable = false;
        Label3->setVisible(true);
        return;
    }
    Label3->setVisible(false);
    if (Settings::SettingsFileFound(path)) {
        SettingsUnreadable = true;
        ParentMessage(QStringLiteral(
            "There was an error while trying to open the settings file.\r\n\r\nYou can attempt "
            "to create a new settings file by filling out the next form and clicking OK. If that "
            "does not work, reinstalling the application might fix the problem."));
    } else {
        SettingsUnreadable = false;
        Forms::frmFirstTime().Show(true);
    }
}

void frmParental::Lab_Click(int16_t Index) {
    if (Index == 0) {
        if (Text1->text().isEmpty()) {
            ParentMessage(QStringLiteral("You must enter a password in order to continue."));
            Text1->setFocus();
            return;
        }
        Settings::OptionsSettings s;
        s.Password = Text1->text();
        s.AllowQuit = O[2]->Value();
        s.PlaySound = Check1->Value();
        s.AutoHide = Check2->Value();
        for (int16_t i = 2; i >= 0; --i)
            if (Option1[i]->isChecked()) s.SpeedIndex = i;
        const QString path = Settings::SettingsPath();
        Settings::StartupSettings before;
        const bool hadPassword = Settings::ReadStartupSettings(path, before);
        const Settings::WriteResult result =
            Settings::WriteSettings(path, Settings::FormatSettings(s));
        if (result != Settings::WriteResult::Written) {
            // What the file holds after the attempt says which password opens now.
            Settings::StartupSettings after;
            const bool readable = Settings::ReadStartupSettings(path, after);
            ParentMessage(SettingsNotSavedText(
                result, readable ? std::optional(after.Parental_Password) : std::nullopt,
                hadPassword ? std::optional(before.Parental_Password) : std::nullopt, s.Password));
            return;
        }
        if (AutoHideWasOn == 0 && Check2->Value() == 1)
            ParentMessage(QStringLiteral(
                "You have chosen to auto-hide the parental buttons (small buttons on the top-left "
                "corner of the screen). If you need to access them, you should place the mouse "
                "pointer over that area for one second."));
        OKclicked = true;
        Unload();
    } else if (Index == 1) {
        if (!SettingsUnreadable) {
            Unload();
            return;
        }
        // A settings file that cannot be read and was not replaced: the program cannot go on.
        // Once the colouring has begun, it ends as the quit does, saving the picture first.
        FrmMain& main = Forms::FrmMain();
        if (main.IsLoaded() && main.Loaded) {
            Unload();
            main.SaveAndQuit();
            return;
        }
        Forms::frmSplash().Unload();
        Forms::frmOpen().Unload();
        Forms::frmMessage().Unload();
        Forms::frmParentMessage().Unload();
        Forms::frmFirstTime().Unload();
        Unload();
        EndProgram();
        return;
    }
}

void frmParental::Label3_Click() {
    if (ParentMessage(
            QStringLiteral("You are about to open the folder where all the pictures that have so "
                           "far been colored are stored. You are advised not to add or modify any "
                           "of the pictures, however, you may delete the pictures/folders as "
                           "desired. Deleting pictures/folders will reset the picture, returning "
                           "them to their original Black and White state."),
            true))
        return;
    const QString folder = AppPath() + QStringLiteral("/colored pictures");
    const int32_t result =
        ShellExecuteA(nullptr, QStringLiteral("open"), folder, QString(), QString(), SW_SHOW);
    if (!QFileInfo::exists(folder) || result <= 32)
        ParentMessage(QStringLiteral(
            "The Tintavale 'Colored pictures' folder could not be opened. It may not exist. If "
            "you have problems saving pictures or continue to get this error, please reinstall "
            "The Tintavale."));
}

namespace Forms {
::frmParental& frmParental() {
    // One window object for the whole run.
    static auto* form = new ::frmParental;
    return *form;
}
} // namespace Forms
