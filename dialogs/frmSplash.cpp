#include "frmSplash.h"

#include "AppPath.h"
#include "Control.h"
#include "FrmMain.h"
#include "HtmlHelp.h"
#include "Screen.h"
#include "Shell.h"
#include "ShowHelpTopic.h"
#include "StdPicture.h"
#include "WebSite.h"
#include "mWindow.h"

using namespace vb;

namespace {

constexpr int32_t kWhite = 0xFFFFFF;
const QColor kGrey(0x66, 0x66, 0x66);

// The colouring window's bubble timer, when that window is there to have one.
Timer* BubbleTimer() {
    FrmMain& main = Forms::FrmMain();
    return main.IsLoaded() ? main.Timer1 : nullptr;
}

void SetTextColour(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

} // namespace

frmSplash::frmSplash() : Form(Style::Secondary) {}

void frmSplash::CreateControls(PictureArea* window) {
    window->setWindowTitle(QString());
    window->setFixedSize(ToPixels(8850, TwipsPerPixel), ToPixels(6870, TwipsPerPixel));

    // The picture keeps its own size: the box shows its top-left part.
    pM = new PictureArea(window);
    pM->setBackColor(kWhite);
    pM->setPicture(StdPicture(
        QImage(QStringLiteral(":/design/splash.bmp")).convertToFormat(QImage::Format_RGB32)));
    PlaceTwips(pM, 120, 120, 8595, 6615);

    auto label = [this](const QString& text, double l, double t, double w, double h,
                        const QFont& font) {
        auto* lb = new Label(text, pM);
        lb->setFont(font);
        PlaceTwips(lb, l, t, w, h);
        return lb;
    };
    Label1 = label(QString(), 120, 120, 8415, 480, VbFont(QStringLiteral("Tahoma"), 8.25));
    Label2 = label(QStringLiteral("Please wait while The Tintavale loads..."), 120, 6120, 4695, 255,
                   VbFont(QStringLiteral("Tahoma"), 9.75));
    SetTextColour(Label2, kGrey);
    lProgress = label(QString(), 120, 6360, 4695, 255, VbFont(QStringLiteral("Tahoma"), 9));
    SetTextColour(lProgress, kGrey);

    const QFont bold = VbFont(QStringLiteral("Tahoma"), 9.75, true);
    Command1 = label(QStringLiteral("Close"), 120, 6360, 510, 240, bold);
    Command2 = label(QStringLiteral("Help"), 840, 6360, 420, 240, bold);
    Command3 = label(QStringLiteral("Visit Website"), 1440, 6360, 1275, 240, bold);
    for (Label* c : {Command1, Command2, Command3}) c->SizeToText();

    connect(Label1, &Label::Click, this, &frmSplash::Label1_Click);
    connect(Command1, &Label::Click, this, &frmSplash::Command1_Click);
    connect(Command2, &Label::Click, this, &frmSplash::Command2_Click);
    connect(Command3, &Label::Click, this, &frmSplash::Command3_Click);
}

void frmSplash::Form_Load() {
    Me()->setBackColor(kWhite);
    DrawWindowEdge(hWnd(), hDC(), EDGE_RAISED, BF_RECT);

    if (Timer* timer = BubbleTimer()) {
        TimerWasEnabled = timer->Enabled();
        timer->setEnabled(false);
    }

    if (storedStyle_ != 1) {
        const QCursor hand = LoadResPicture(101, vbResCursor).toCursor();
        for (Label* l : {Label1, Command1, Command2, Command3}) l->setCursor(hand);
        Label1->setToolTip(QStringLiteral(
            "Open The Tintavale help file to view the license agreement in more detail."));
    }
}

void frmSplash::Form_Unload(int16_t& Cancel) {
    Q_UNUSED(Cancel);
    if (Timer* timer = BubbleTimer()) timer->setEnabled(TimerWasEnabled);
}

void frmSplash::setForm_style(int32_t vNewValue) {
    storedStyle_ = vNewValue;
    Load();
    const bool loading = vNewValue != 0;
    for (Label* l : {Command1, Command2, Command3}) l->setVisible(!loading);
    for (Label* l : {Label2, lProgress}) l->setVisible(loading);
}

void frmSplash::setProgressText(const QString& M) {
    Load();
    lProgress->setCaption(M);
}

void frmSplash::Command1_Click() {
    Unload();
}

void frmSplash::CloseRequested() {
    if (!Command1->isHidden()) Command1_Click();
}

void frmSplash::Command2_Click() {
    // The help file opens in the program's own viewer, at its start page and maximised:
    // the desktop has no viewer of its own for this kind of file.
    const QString path = AppPath() + QStringLiteral("/Help.chm");
    if (HtmlHelpA(nullptr, path, HH_DISPLAY_TOPIC, QString(), SW_SHOWMAXIMIZED) != 0) {
        Unload();
        return;
    }
    TellHelpFileMissing(path, false);
}

void frmSplash::Command3_Click() {
    Unload();
    // Asking for the handle loads the window again, hidden; it stays loaded until the
    // next unload or the shutdown.
    QWidget* owner = hWnd();
    ShellExecuteA(owner, QStringLiteral("open"), QString::fromLatin1(MakerWebSite), QString(),
                  QString(), SW_SHOWMAXIMIZED);
}

void frmSplash::Label1_Click() {
    if (storedStyle_ == 1) return;
    Unload();
    // The hidden window loaded again here owns the help window, which outlives the box.
    ShowHelpTopic(hWnd(), QStringLiteral("license_agreement.htm"));
}

namespace Forms {
::frmSplash& frmSplash() {
    static auto* form = new ::frmSplash;
    return *form;
}
} // namespace Forms
