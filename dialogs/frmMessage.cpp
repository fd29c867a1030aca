#include "frmMessage.h"

#include "Control.h"
#include "FrmMain.h"
#include "Screen.h"
#include "Settings.h"
#include "Sound.h"
#include "StdPicture.h"
#include "VbMath.h"
#include "mWindow.h"
#include "pButton.h"

#include <QKeyEvent>

using namespace vb;

namespace {
// Resource sound, no default sound; asynchronous or (for OK) played to its end.
constexpr uint32_t SoundAsync = 0x40007;
constexpr uint32_t SoundSync = 0x40006;
} // namespace

frmMessage::frmMessage() : Form(Style::Secondary) {}

void frmMessage::CreateControls(PictureArea* window) {
    window->setScaleMode(vbTwips);
    window->setWindowTitle(QStringLiteral("Message"));
    window->resize(5310 / TwipsPerPixel, 4170 / TwipsPerPixel);
    const QFont tahoma = VbFont(QStringLiteral("Tahoma"), 9.75);

    Shape1 = NewPasswordOutline(window);
    ControlMove(Shape1, 3105, 3705, 2085, 345);
    Text1 = NewPasswordBox(window);
    ControlMove(Text1, 3120, 3720, 2055, 315);
    Text1->installEventFilter(this);

    Check1 = new pButton(window);
    Check1->Move(120, 1920, 1695, 375);
    connect(Check1, &pButton::click, this, &frmMessage::Check1_click);
    cOut1 = new pButton(window);
    cOut1->Move(4440, 1800, 975, 375);
    connect(cOut1, &pButton::click, this, &frmMessage::cOut1_click);
    cOut2 = new pButton(window);
    cOut2->Move(1440, 1800, 1815, 375);
    connect(cOut2, &pButton::click, this, &frmMessage::cOut2_click);

    ll = new Label(QStringLiteral("Please enter your password here"), window);
    ll->setFont(tahoma);
    ControlMove(ll, 120, 3750, 2895, 255);
    Label2 = new Label(QStringLiteral("[Message for the parents]"), window);
    Label2->setFont(tahoma);
    ControlMove(Label2, 120, 2520, 5040, 1065);
    Label1 = new Label(QStringLiteral("[Message for the kids]"), window);
    Label1->setFont(VbFont(QStringLiteral("Comic Sans MS"), 12));
    ControlMove(Label1, 120, 120, 5040, 1545);
}

void frmMessage::Form_Load() {
    Me()->setBackColor(0xFFFFFF);
    setHeight(CollapsedHeight);
    Me()->Cls();
    DrawWindowEdge(hWnd(), hDC(), 5, 15);

    cOut1->SetPicture(LoadResPicture(115, vbResBitmap), LoadResPicture(116, vbResBitmap));
    cOut2->SetPicture(LoadResPicture(114, vbResBitmap), LoadResPicture(113, vbResBitmap));
    Check1->SetPicture(LoadResPicture(127, vbResBitmap), LoadResPicture(128, vbResBitmap),
                       LoadResPicture(129, vbResBitmap));
    // The OK box reaches past the window's right edge: keep it inside the raised frame.
    const int inside = Me()->width() - 2 - cOut1->x();
    if (cOut1->width() > inside) cOut1->resize(inside, cOut1->height());
    const StdPicture hand = LoadResPicture(101, vbResCursor);
    for (pButton* b : {cOut1, cOut2, Check1}) b->MouseIcon(hand);
    Check1->setVisible(false);

    ButtonPressed = QStringLiteral("Cancel");
    Password_result = QString();

    if (Forms::FrmMain().Play_Sound) {
        Randomize();
        const int k = int(Rnd() * 3);
        PlaySoundA(QStringLiteral("MESSAGE%1").arg(k), SoundAsync);
    }
}

void frmMessage::setExtendedInformation(const QString& text) {
    Me();
    Label2->setCaption(text);
    Check1->setVisible(!Label2->Caption().isEmpty());
}

void frmMessage::setMessage(const QString& text) {
    Me();
    Label1->setCaption(text);
}

void frmMessage::setShowCancel(bool show) {
    Me();
    cOut2->setVisible(show);
}

void frmMessage::Resize(float height) {
    setHeight(height);
    Me()->Cls();
    DrawWindowEdge(hWnd(), hDC(), 5, 15);
    Me()->Refresh();
}

void frmMessage::Check1_click() {
    // The button does not latch by itself.
    Check1->setPressed(!Check1->Pressed());
    if (!Check1->Pressed())
        Resize(CollapsedHeight);
    else
        Resize(PasswordVisible ? PasswordHeight : DetailsHeight);
}

void frmMessage::cOut1_click() {
    if (PasswordVisible) {
        const bool right =
            Settings::SamePassword(Text1->text(), Forms::FrmMain().Parental_Password);
        if (Height() != PasswordHeight && !right) {
            // The first wrong try only opens the password row.
            Resize(PasswordHeight);
            Text1->setFocus();
            Check1->setPressed(true);
            return;
        }
        if (!right) {
            Label2->setCaption(QStringLiteral(
                "The password you entered is incorrect. Please enter the password again or press "
                "never mind to close this window."));
            Text1->setFocus();
            return;
        }
    }
    if (Forms::FrmMain().Play_Sound) PlaySoundA(QStringLiteral("OK"), SoundSync);
    ButtonPressed = QStringLiteral("Ok");
    Unload();
}

void frmMessage::cOut2_click() {
    ButtonPressed = QStringLiteral("Cancel");
    if (Forms::FrmMain().Play_Sound) {
        Randomize();
        const int k = int(Rnd() * 4);
        PlaySoundA(QStringLiteral("CANCEL%1").arg(k), SoundAsync);
    }
    Unload();
}

void frmMessage::CloseRequested() {
    if (!cOut2->isHidden()) cOut2_click();
}

void frmMessage::Text1_KeyDown(int16_t KeyCode, int16_t Shift) {
    Q_UNUSED(Shift);
    if (KeyCode == 13) cOut1_click();
}

bool frmMessage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            const Qt::KeyboardModifiers m = key->modifiers();
            Text1_KeyDown(13, int16_t((m & Qt::ShiftModifier ? 1 : 0) |
                                      (m & Qt::ControlModifier ? 2 : 0) |
                                      (m & Qt::AltModifier ? 4 : 0)));
            return true;
        }
    }
    return Form::eventFilter(watched, event);
}

namespace Forms {
::frmMessage& frmMessage() {
    // One window object for the whole run.
    static auto* form = new ::frmMessage;
    return *form;
}
} // namespace Forms
