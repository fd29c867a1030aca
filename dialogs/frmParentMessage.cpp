#include "frmParentMessage.h"

#include "Control.h"
#include "Screen.h"
#include "StdPicture.h"
#include "mWindow.h"

using namespace vb;

namespace {

// A bold caption sized to its text, its right edge where the design puts it.
void PlaceButtonLabel(Label* l, double left, double top, double width, double height) {
    PlaceTwips(l, left, top, width, height);
    l->SizeToTextFromRight();
}

} // namespace

frmParentMessage::frmParentMessage() : Form(Style::Secondary) {}

void frmParentMessage::CreateControls(PictureArea* window) {
    window->setWindowTitle(QStringLiteral("Message"));
    window->setFixedSize(ToPixels(6195, TwipsPerPixel), ToPixels(2535, TwipsPerPixel));
    window->setBackColor(0x0000FF); // design colour; the load step makes it white

    pM = new PictureArea(window);
    pM->setBackColor(0xFFFFFF);
    PlaceTwips(pM, 120, 120, 5955, 2295);

    lMessage = new Label(QStringLiteral("[Parental message]"), pM);
    lMessage->setFont(VbFont(QStringLiteral("Tahoma"), 9.75));
    PlaceTwips(lMessage, 0, 0, 5955, 1965);

    const QFont bold = VbFont(QStringLiteral("Tahoma"), 9.75, true);
    lCancel = new Label(QStringLiteral("Cancel"), pM);
    lCancel->setFont(bold);
    lCancel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    PlaceButtonLabel(lCancel, 4215, 2040, 630, 240);
    lCancel->hide();

    lContinue = new Label(QStringLiteral("Continue"), pM);
    lContinue->setFont(bold);
    lContinue->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    PlaceButtonLabel(lContinue, 5070, 2040, 870, 240);

    connect(lCancel, &Label::Click, this, &frmParentMessage::lCancel_Click);
    connect(lContinue, &Label::Click, this, &frmParentMessage::lContinue_Click);
}

void frmParentMessage::Form_Load() {
    Me()->setBackColor(0xFFFFFF);
    DrawWindowEdge(hWnd(), hDC(), EDGE_RAISED, BF_RECT);
    const QCursor hand = LoadResPicture(101, vbResCursor).toCursor();
    lContinue->setCursor(hand);
    lCancel->setCursor(hand);
    CancelPressed = false;
}

void frmParentMessage::setMessage(const QString& text) {
    Load();
    lMessage->setCaption(text);
}

void frmParentMessage::setCancelVisible(bool visible) {
    Load();
    lCancel->setVisible(visible);
}

void frmParentMessage::lCancel_Click() {
    CancelPressed = true;
    CloseWindow();
}

void frmParentMessage::lContinue_Click() {
    CloseWindow();
}

void frmParentMessage::CloseWindow() {
    Unload();
}

void frmParentMessage::CloseRequested() {
    if (lCancel->isHidden())
        lContinue_Click();
    else
        lCancel_Click();
}

namespace Forms {
::frmParentMessage& frmParentMessage() {
    static auto* form = new ::frmParentMessage;
    return *form;
}
} // namespace Forms
