#include "frmOpen.h"

#include "AppPath.h"
#include "ColoredCopy.h"
#include "FrmMain.h"
#include "LibraryScan.h"
#include "Screen.h"
#include "Sound.h"
#include "StdPicture.h"
#include "VbError.h"
#include "VbMath.h"
#include "cNDib.h"
#include "frmImport.h"
#include "frmMessage.h"
#include "mWindow.h"
#include "pButton.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>

using namespace vb;

namespace {

// Resource sound, asynchronous, no default sound.
constexpr uint32_t SoundAsync = 0x40007;
constexpr int32_t ThumbSize = 100;
constexpr int32_t ButtonFace = 0xC0C0C0;
constexpr int32_t WindowColour = 0xFFFFFF;

PictureArea* newArea(QWidget* parent, int32_t backColor) {
    auto* a = new PictureArea(parent);
    a->setBackColor(backColor);
    return a;
}

// The colouring window is loaded whenever the chooser is used; touching it otherwise
// would start the whole program.
void EnableColouringWindow() {
    if (Forms::FrmMain().IsLoaded()) Forms::FrmMain().setEnabled(true);
}

} // namespace

frmOpen::frmOpen() : Form(Style::Secondary) {}

frmOpen::~frmOpen() = default;

QString frmOpen::ProperCase(const QString& txt) {
    return ::ProperCase(txt);
}

void frmOpen::CreateControls(PictureArea* window) {
    window->setWindowTitle(QStringLiteral("Open"));
    window->resize(10410 / TwipsPerPixel, 7575 / TwipsPerPixel);
    window->setBackColor(0x0000FF);
    window->installEventFilter(this);

    pM = newArea(window, 0xFFFFFF);
    pM->Move(120 / 15.f, 120 / 15.f, 10155 / 15.f, 7335 / 15.f);
    PB = newArea(pM, 0xFFFFFF);
    PB->Move(0, 0, 10125 / 15.f, 6615 / 15.f);

    // The sheet starts as tall as the viewport; the scan makes it taller.
    Pmb = newArea(PB, 0xFFFFFF);
    Pmb->Move(0, 0, PB->ScaleWidth(), PB->ScaleHeight());
    Pmb->setMouseIcon(LoadResPicture(101, vbResCursor));
    Pmb->setMousePointer(vbCustom);
    Pmb->hide();
    connect(Pmb, &PictureArea::MouseMove, this, &frmOpen::Pmb_MouseMove);
    connect(Pmb, &PictureArea::MouseUp, this, &frmOpen::Pmb_MouseUp);

    auto* mark = new QFrame(Pmb);
    mark->setFrameStyle(QFrame::Box | QFrame::Plain);
    mark->setLineWidth(3);
    QPalette grey = mark->palette();
    grey.setColor(QPalette::WindowText, QColor::fromRgb(ColorValueToRgb(ButtonFace)));
    mark->setPalette(grey);
    // The mark only shows; the sheet under it keeps getting the mouse.
    mark->setAttribute(Qt::WA_TransparentForMouseEvents);
    mark->hide();
    sI = mark;

    for (int16_t i = 0; i < 2; ++i) {
        cScroll[i] = new pButton(PB);
        cScroll[i]->setIndex(i);
        cScroll[i]->Move(0, 0, 615 / 15.f, 615 / 15.f);
        connect(cScroll[i], &pButton::click, this, [this, i] { cScroll_click(i); });
    }
    sBall = new pButton(PB);
    sBall->Move(0, 0, 615 / 15.f, 615 / 15.f);
    connect(sBall, &pButton::MouseDown, this, &frmOpen::sBall_MouseDown);
    connect(sBall, &pButton::MouseMove, this, &frmOpen::sBall_MouseMove);

    cClose = new pButton(pM);
    cClose->Move(7200 / 15.f, 6720 / 15.f, 1815 / 15.f, 375 / 15.f);
    connect(cClose, &pButton::click, this, &frmOpen::cClose_click);
    cPicadd = new pButton(pM);
    cPicadd->Move(3360 / 15.f, 6630 / 15.f, 1935 / 15.f, 375 / 15.f);
    connect(cPicadd, &pButton::click, this, &frmOpen::cPicadd_click);
    pMorePics = new pButton(pM);
    pMorePics->Move(120 / 15.f, 6960 / 15.f, 1815 / 15.f, 255 / 15.f);
    connect(pMorePics, &pButton::click, this, &frmOpen::pMorePics_click);

    pOwn = newArea(PB, WindowColour);
    pOwn->Move(0, 0, 11250 / 15.f, 7200 / 15.f);
    pOwn->hide();
    pT = newArea(window, ButtonFace);
    pT->setAutoSize(true);
    pT->hide();
}

void frmOpen::Form_Load() {
    Me()->setBackColor(0xFFFFFF);
    DrawWindowEdge(hWnd(), hDC(), 5, 15);

    auto bmp = [](int id) { return LoadResPicture(id, vbResBitmap); };
    cScroll[0]->SetPicture(bmp(138), bmp(139));
    cScroll[1]->SetPicture(bmp(136), bmp(135));
    cClose->SetPicture(bmp(114), bmp(113));
    cPicadd->SetPicture(bmp(148), bmp(149));
    pMorePics->SetPicture(bmp(141), bmp(142));
    sBall->SetPicture(bmp(137), bmp(140));

    const StdPicture hand = LoadResPicture(101, vbResCursor);
    for (pButton* b : {cScroll[0], cScroll[1], sBall, pMorePics, cClose, cPicadd})
        b->MouseIcon(hand);

    // Layout inside the viewport: arrows in the right corners, the ball below the up
    // arrow, the sheet up to the down arrow.
    cScroll[0]->Move(PB->ScaleWidth() - cScroll[0]->PlaceWidth(), 0);
    cScroll[1]->Move(PB->ScaleWidth() - cScroll[1]->PlaceWidth(),
                     PB->ScaleHeight() - cScroll[1]->PlaceHeight());
    sBall->Move(cScroll[1]->Left() + 2, cScroll[0]->PlaceHeight());
    PB->setBackColor(0xFFFFFF);
    Pmb->Move(0, 0, cScroll[1]->Left());

    SelIndex = -1;
    LoadPictureList();
}

bool frmOpen::eventFilter(QObject* watched, QEvent* event) {
    // Showing counts as becoming active too: not every window system activates a window
    // that is shown (the offscreen one, an X server without a window manager).
    const bool activated = event->type() == QEvent::WindowActivate || event->type() == QEvent::Show;
    if (activated && IsLoaded() && watched == Me()) Form_Activate();
    return false;
}

void frmOpen::Form_Activate() {
    RefreshSelectedPic();
}

int32_t frmOpen::PicAtPoint(int32_t& x, int32_t& y) {
    int32_t hit = -1;
    for (size_t i = 1; i < Pics.size(); ++i) {
        const PicItem& p = Pics[i];
        if (p.Left < x && x < p.Left + ThumbSize && p.Top < y && y < p.Top + ThumbSize)
            hit = int32_t(i);
    }
    return hit;
}

void frmOpen::Pmb_MouseMove(int16_t, int16_t, float X, float Y) {
    int32_t x = CLng(X), y = CLng(Y);
    const int32_t i = PicAtPoint(x, y);
    if (i != -1) {
        sI->setGeometry(Pics[i].Left, Pics[i].Top, ThumbSize, ThumbSize);
        sI->show();
        Pmb->setMousePointer(vbCustom);
    } else {
        sI->hide();
        Pmb->setMousePointer(vbDefault);
    }
}

void frmOpen::Pmb_MouseUp(int16_t, int16_t, float X, float Y) {
    int32_t x = CLng(X), y = CLng(Y);
    const int32_t i = PicAtPoint(x, y);
    if (i == -1) return;
    FileName = Pics[i].Folder + QLatin1Char('/') + Pics[i].FileName;
    SelIndex = i;
    EnableColouringWindow();
    Hide();
}

void frmOpen::RefreshSelectedPic() {
    if (SelIndex == -1 || SelIndex >= int32_t(Pics.size())) return;
    const PicItem& p = Pics[SelIndex];
    try {
        pT->setPicture(LoadPicture(ThumbnailSource(p.Folder, p.FileName)));
        cNDib dib;
        if (!dib.Make_From_Picture(*pT)) return;
        dib.Set_dib_Fit(Pmb->hDC(), p.Left, p.Top, ThumbSize, ThumbSize);
        Pmb->Refresh();
    } catch (const VbError&) {
        // The thumbnail keeps its old image.
    } catch (const std::bad_alloc&) {
    }
}

void frmOpen::cPicadd_click() {
    const QString ownFolder = AppPath() + QStringLiteral("/books/own pictures/");
    const QString ownPath = OwnPicturePath();
    bool started = false;
    try {
        if (!QFileInfo(ownFolder).isDir() && !QDir().mkdir(ownFolder)) Raise(ErrPathFileAccess);
        pOwn->setPicture(pOwn->Image());
        if (!QFileInfo::exists(ownPath)) {
            try {
                SavePicture(pOwn->Picture(), ownPath);
            } catch (...) {
                // A half-written page would be offered as the child's page from now on.
                QFile::remove(ownPath);
                throw;
            }
        }
        started = true;
    } catch (const VbError&) {
    } catch (const std::bad_alloc&) {
    }
    if (!started) {
        frmMessage& m = Forms::frmMessage();
        m.setExtendedInformation(QStringLiteral(
            "An unknown error occurred when there was an attempt to start drawing a new "
            "picture. Please make sure that the disk is not write protected and that there is "
            "enough disk space."));
        m.setMessage(QStringLiteral(
            "Help! A new picture could not be started! Call someone who can help you sort it "
            "out! Go!"));
        m.setShowCancel(false);
        m.setPasswordVisible(false);
        m.Show(true);
        return;
    }
    FileName = ownPath;
    EnableColouringWindow();
    Hide();
}

void frmOpen::pMorePics_click() {
    frmMessage& m = Forms::frmMessage();
    m.setExtendedInformation(QStringLiteral(
        "You or your child has asked for more pictures to be added to The Tintavale. This is a "
        "locked function and a password is required in order to continue."));
    m.setMessage(
        QStringLiteral("Would you like more pictures? Call someone who can get them for you!"));
    m.setShowCancel(true);
    m.setPasswordVisible(true);
    m.Show(true);
    if (m.ButtonPressed != QLatin1String("Ok")) return;
    Hide();
    ShowImporter();
}

// A successful import unloads this window, so the next use scans anew.
void frmOpen::ShowImporter() {
    Forms::frmImport().Show(true);
}

void frmOpen::cClose_click() {
    if (Forms::FrmMain().Play_Sound) {
        Randomize();
        const int n = int(Int(Rnd() * 4));
        PlaySoundA(QStringLiteral("CANCEL%1").arg(n), SoundAsync);
    }
    Hide();
}

void frmOpen::Form_Unload(int16_t&) {
    EnableColouringWindow();
    QCoreApplication::processEvents();
}

namespace Forms {
::frmOpen& frmOpen() {
    static auto* form = new ::frmOpen;
    return *form;
}
} // namespace Forms
