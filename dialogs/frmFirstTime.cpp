#include "frmFirstTime.h"

#include "Control.h"
#include "Screen.h"
#include "StdPicture.h"
#include "mWindow.h"

using namespace vb;

frmFirstTime::frmFirstTime() : Form(Style::SecondaryInTaskbar) {}

void frmFirstTime::CreateControls(PictureArea* window) {
    window->setScaleMode(vbTwips);
    window->setWindowTitle(QStringLiteral("Form1"));
    window->resize(8850 / TwipsPerPixel, 5670 / TwipsPerPixel);

    pM = new PictureArea(window);
    pM->setBackColor(0xFFFFFF);
    pM->setPicture(StdPicture(QImage(QStringLiteral(":/design/firsttime.bmp"))));
    PlaceTwips(pM, 120, 120, 8595, 5415);

    const QFont tahoma = VbFont(QStringLiteral("Tahoma"), 9.75);
    auto label = [&](const char* text, double l, double t, double w, double h) {
        auto* lb = new Label(QString::fromLatin1(text), pM);
        lb->setFont(tahoma);
        PlaceTwips(lb, l, t, w, h);
        return lb;
    };
    Label3 =
        label("Hello! This appears to be the first time you are running The Tintavale Version 5.",
              120, 240, 6990, 240);
    Label3->SizeToText();
    Label4 =
        label("I would like to take to take this opportunity to tell you how you can contribute "
              "to the success of this software. I know that not everyone is able to afford "
              "expensive software and so, I have kept The Tintavale Version 5 free, however, in "
              "order to continue its development and to provide support, I ask you to donate "
              "however much you can.",
              120, 840, 8385, 975);
    Label6 =
        label("You can donate by clicking 'More pictures' in the 'Open a picture' window or by "
              "going to The Tintavale website (see help).",
              120, 3240, 5820, 480);
    Label6->SizeToText(true);
    Label8 =
        label("For now, please enjoy this software. To get started, click the 'continue' button "
              "below and then fill out the settings window. Have fun!",
              120, 4080, 5175, 795);
    Command1 = label("Continue", 120, 5160, 855, 240);
    Command1->setFont(VbFont(QStringLiteral("Tahoma"), 9.75, true));
    Command1->SizeToText();
    connect(Command1, &Label::Click, this, &frmFirstTime::Command1_Click);
}

void frmFirstTime::Form_Load() {
    Me()->setBackColor(0xFFFFFF);
    DrawWindowEdge(hWnd(), hDC(), 5, 15);
    Command1->setCursor(LoadResPicture(101, vbResCursor).toCursor());
}

void frmFirstTime::Command1_Click() {
    Unload();
}

namespace Forms {
::frmFirstTime& frmFirstTime() {
    // One window object for the whole run.
    static auto* form = new ::frmFirstTime;
    return *form;
}
} // namespace Forms
