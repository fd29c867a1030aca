// The colouring window's controls and its load step, which is the program's start-up.

#include "FrmMain.h"

#include "AppPath.h"
#include "EndProgram.h"
#include "Layout.h"
#include "Screen.h"
#include "Settings.h"
#include "StartupRules.h"
#include "VbMath.h"
#include "frmParentMessage.h"
#include "frmParental.h"
#include "mMain.h"
#include "mMain_Keyboard.h"
#include "pButton.h"

#include <QDir>
#include <QIcon>

using namespace vb;

namespace {

constexpr int kBubbles = 22;
constexpr int32_t kWhite = 0xFFFFFF;

StdPicture designPicture(const QString& name) {
    return StdPicture(
        QImage(QStringLiteral(":/design/%1.bmp").arg(name)).convertToFormat(QImage::Format_RGB32));
}

PictureArea* newArea(QWidget* parent, int32_t backColor = kWhite) {
    auto* a = new PictureArea(parent);
    a->setBackColor(backColor);
    return a;
}

// A statement that fails is skipped and the start-up goes on with the next one.
template <typename Step> void skipOnError(Step step) {
    try {
        step();
    } catch (const VbError&) {
    }
}

} // namespace

void FrmMain::CreateControls(PictureArea* w) {
    w->setWindowTitle(QStringLiteral("The Tintavale"));
    QIcon icon;
    for (int size : {16, 32, 48, 96}) icon.addFile(QStringLiteral(":/icon/icon%1.png").arg(size));
    w->setWindowIcon(icon);
    w->setBackColor(kWhite);

    pT = newArea(w);
    pT->resize(w->width(), 1545 / TwipsPerPixel);
    for (int i = 0; i < 4; ++i) {
        c[i] = new pButton(pT);
        c[i]->setIndex(int16_t(i));
        const auto index = int16_t(i);
        connect(c[i], &pButton::MouseDown, this,
                [this, index](int16_t b, int16_t s, float x, float y) {
                    c_MouseDown(index, b, s, x, y);
                });
        connect(c[i], &pButton::MouseUp, this, [this, index] { c_MouseUp(index); });
        connect(c[i], &pButton::click, this, [this, index] { c_click(index); });
    }
    for (int i = 0; i < 4; ++i) {
        pTool[i] = new pButton(pT);
        pTool[i]->setIndex(int16_t(i));
        connect(pTool[i], &pButton::MouseUp, this, [this, i] { pTool_MouseUp(int16_t(i)); });
    }
    Pc = newArea(pT);
    Pc->setToolTipText(QStringLiteral("Pop a bubble to choose a color to paint with!"));
    connect(Pc, &PictureArea::MouseDown, this, &FrmMain::Pc_MouseDown);
    Timer1 = new Timer(Pc, 1, false);
    connect(Timer1, &Timer::Tick, this, &FrmMain::Timer1_Timer);
    tMusic = new Timer(pT, 1000, false);
    for (int i = 0; i < 3; ++i) {
        pBr[i] = newArea(pT);
        pBr[i]->setAutoSize(true);
        pBr[i]->setPicture(designPicture(QStringLiteral("pBr%1").arg(i)));
        pBr[i]->hide();
    }

    PB = newArea(w);
    P = newArea(PB);
    P->setAutoSize(true);
    P->setDrawWidth(2);
    P->hide();
    pUndo = newArea(P);
    pUndo->hide();
    connect(P, &PictureArea::MouseDown, this, &FrmMain::P_MouseDown);
    // A quick second press is a press like any other: its stroke needs its own region map.
    connect(P, &PictureArea::DblClickPress, this, &FrmMain::P_MouseDown);
    connect(P, &PictureArea::MouseMove, this, &FrmMain::P_MouseMove);
    connect(P, &PictureArea::MouseUp, this, &FrmMain::P_MouseUp);

    tP = newArea(w);
    tP->setAutoSize(true);
    tP->setDrawWidth(2);
    tP->setFillStyle(0);
    tP->hide();

    static const char* const tips[5] = {"Click here to quit The Tintavale", "Save picture as...",
                                        "Print the picture", "About/Help", "Settings"};
    for (int i = 0; i < 5; ++i) {
        pFunc[i] = newArea(w);
        pFunc[i]->setAutoSize(true);
        pFunc[i]->setPicture(designPicture(QStringLiteral("pFunc%1").arg(i)));
        pFunc[i]->setToolTipText(QString::fromLatin1(tips[i]));
        const auto index = int16_t(i);
        connect(pFunc[i], &PictureArea::Click, this, [this, index] { pFunc_Click(index); });
    }
    pFunc[1]->setEnabled(false);
    pFunc[2]->setEnabled(false);
    for (int i = 0; i < 2; ++i) {
        pE[i] = newArea(w);
        pE[i]->setAutoSize(true);
        pE[i]->setPicture(designPicture(QStringLiteral("pE%1").arg(i)));
        pE[i]->setEnabled(false);
        pE[i]->hide();
    }
    pCC.clear();
    for (int i = 0; i < kBubbles; ++i) {
        auto* b = newArea(w, 0);
        b->setAutoSize(true);
        b->setPicture(designPicture(QStringLiteral("pCC%1").arg(i)));
        b->hide();
        pCC.push_back(b);
    }
    // The function row lies in front of the toolbar strip.
    for (PictureArea* f : pFunc) f->raise();
}

void FrmMain::Form_Load() {
    // The pictures need a screen of 800 x 600 at true colour; below 1024 x 768 not all of
    // them fit, which the parents hear of once, at the start.
    const int32_t width = GetDeviceCaps(HORZRES), height = GetDeviceCaps(VERTRES);
    const ScreenVerdict verdict = CheckScreen(width, height, GetDeviceCaps(BITSPIXEL), !Loaded);
    if (verdict == ScreenVerdict::TooSmall) {
        Forms::frmParentMessage().setMessage(
            QStringLiteral("This program can not run under the current screen resolution. The "
                           "minimum size is 800 by 600, at a color mode of 24 bits (true "
                           "color).\r\nYou must change the resolution before the program can "
                           "run."));
        Forms::frmParentMessage().Show(true);
        EndProgram();
        return;
    }
    if (verdict == ScreenVerdict::Warn) {
        Forms::frmParentMessage().setCancelVisible(true);
        Forms::frmParentMessage().setMessage(
            QStringLiteral("Although this program is able to run at your current screen "
                           "resolution, it is highly recommended that you switch to a minimum "
                           "size of 1024 by 768; otherwise, not all of the pictures will fit on "
                           "the screen.\r\n\r\nWould you like to continue anyway?"));
        Forms::frmParentMessage().Show(true);
        if (Forms::frmParentMessage().CancelPressed) {
            EndProgram();
            return;
        }
    }

    // The screen in twips: the window is laid out off screen at this size, then moved on.
    const float W = float(CLng(double(width) * Screen::TwipsPerPixelX()));
    const float H = float(CLng(double(height) * Screen::TwipsPerPixelY()));

    // Every load starts afresh: the first tool's brush, new random numbers, no region,
    // black paint.
    GradientInfo band;
    band.Direction = 1;
    band.Colors.resize(2);
    BrushDib = std::make_unique<cNDib>();
    BrushDib->Make_From_Picture(*pBr[0]);
    Randomize();
    RegionColor = -1;
    CurrentR = CurrentG = CurrentB = 0;

    // Settings. A file that cannot be read gives the parents one chance to write it anew in
    // the options window; without settings the program cannot go on.
    bool retried = false;
    for (;;) {
        Settings::StartupSettings settings;
        if (Settings::ReadStartupSettings(Settings::SettingsPath(), settings)) {
            Parental_Password = settings.Parental_Password;
            QuitLocked = settings.QuitLocked;
            Play_Sound = settings.Play_Sound;
            AutoHideFunctions = settings.AutoHideFunctions;
            BubbleSpeed = settings.BubbleSpeed;
            break;
        }
        if (retried) {
            Forms::frmParentMessage().setMessage(QStringLiteral(
                "The Tintavale was unable to create a settings file. This is an serious error "
                "and program cannot continue. Make sure that the disk you are using is not "
                "write protected."));
            Forms::frmParentMessage().Show(true);
            EndProgram();
            return;
        }
        Forms::frmParental().Show(true);
        if (!Forms::frmParental().OKclicked) {
            // Once the colouring has begun, the options window's Cancel has ended the
            // program the quit's way, or the parents chose to go on colouring.
            if (!Loaded) EndProgram();
            return;
        }
        retried = true;
    }

    // From here on a step that fails is skipped: the program runs without what it would
    // have made.
    // Coloured copies go into their own folder; each book's folder in it comes with its
    // first save.
    skipOnError([] {
        QDir folder(AppPath());
        if (!folder.exists(QStringLiteral("colored pictures")))
            folder.mkdir(QStringLiteral("colored pictures"));
    });

    // The parents' function row shows unless it hides itself until the pointer comes.
    for (PictureArea* f : pFunc) f->setVisible(!AutoHideFunctions);

    // Button faces, tool tips and first states.
    SetButtonFaces();
    ColorJitter = 10;
    static const char* const toolTips[4] = {
        "Color using a magic crayon", "Paint using a magic paintbrush",
        "Draw using a magic coloring pencil", "Draw using a black marker"};
    for (int i = 0; i < 4; ++i)
        skipOnError([&] { pTool[i]->setToolText(QString::fromLatin1(toolTips[i])); });
    Timer1->setEnabled(false);

    // The bubbles and their masks are made once; each mask joins the pictures after all of
    // the bubbles, so picture i has its mask at i + 22.
    if (!Loaded) {
        Bubbles.assign(kBubbles, Bubble{});
        for (int i = 0; i < kBubbles; ++i) {
            skipOnError([&] {
                auto* mask = newArea(Me(), 0);
                mask->hide();
                mask->Move(0, 0, pCC[i]->Width(), pCC[i]->Height());
                pCC.push_back(mask);
                cNDib dib;
                dib.Make_From_Picture(*pCC[i]);
                MakeBubbleMask(dib);
                dib.Set_dib(*mask, false);
            });
        }
    }

    // Sprites of every bubble picture and mask, made anew at every load.
    BubbleSprites.clear();
    for (PictureArea* b : pCC) {
        auto sprite = std::make_unique<cNDib>();
        skipOnError([&] { sprite->Make_From_Picture(*b); });
        BubbleSprites.push_back(std::move(sprite));
    }

    // Shown off screen first, so that the client size is the screen's.
    Move(-W, -H, W, H);
    Show(false);

    // Toolbar, bubble panel and canvas background for this screen.
    skipOnError([this] { LayOut(); });

    if (!Loaded) {
        // The shading band under the toolbar.
        skipOnError([&] {
            uint8_t r, g, b;
            SplitRGB(PB->BackColor(), r, g, b);
            band.Colors[1] = RGBTriple{r, g, b};
            int32_t x = 0, y = 0, bw = CLng(PB->ScaleWidth()), bh = 10;
            DrawGradient(band, *PB, x, y, bw, bh);
            PB->Refresh();
        });
        // Bubbles start just below the panel and rise.
        for (int i = 0; i < kBubbles; ++i) {
            Bubble& b = Bubbles[i];
            skipOnError([&] { b.R = pCC[i]->ScaleWidth() / 2; });
            skipOnError([&] { b.Y = Rnd() * 20 + Pc->ScaleHeight() + b.R; });
            skipOnError([&] { b.X = Rnd() * (Pc->ScaleWidth() - 2 * b.R) + b.R; });
            skipOnError([&] {
                const float rising = -Rnd() - 0.5f;
                if (BubbleSpeed == 0) Raise(ErrDivisionByZero);
                b.VY = rising / BubbleSpeed;
            });
            skipOnError([&] { b.Phase = Rnd() * 6.28f; });
            skipOnError([&] {
                b.Colour = pCC[i]->Point(pCC[i]->ScaleWidth() / 2, pCC[i]->ScaleHeight() / 2);
            });
        }
        // Loaded now; the window comes onto the screen.
        Loaded = true;
        Move(0, 0, W, H);
        // The keyboard lock, once for the whole run; without it the program still runs.
        KeyboardHook = SetWindowsHookExA(13, KeyboardHookProc, nullptr, 0);
        // The first picture, as if the child had pressed the open button.
        c_click(0);
    } else {
        Loaded = true;
        if (Tool != 3) Pc->show();
        Move(0, 0, Screen::Width(), Screen::Height());
    }
}

void FrmMain::SetButtonFaces() {
    struct Faces {
        int up, down, pressed;
    };
    static const Faces command[4] = {{102, 101, 0}, {146, 147, 0}, {110, 109, 0}, {130, 131, 132}};
    static const Faces tools[4] = {
        {108, 106, 107}, {105, 103, 104}, {119, 117, 118}, {143, 144, 145}};
    auto face = [](int id) { return id ? LoadResPicture(id, vbResBitmap) : StdPicture(); };
    for (int i = 0; i < 4; ++i)
        skipOnError([&] {
            c[i]->SetPicture(face(command[i].up), face(command[i].down), face(command[i].pressed));
        });
    static const char* const tips[4] = {"Open a picture to paint", "Clear out all colors!", "Undo",
                                        "Choose between crazy colors and normal colors!"};
    for (int i = 0; i < 4; ++i)
        skipOnError([&] { c[i]->setToolText(QString::fromLatin1(tips[i])); });
    for (int i = 0; i < 4; ++i)
        skipOnError([&] {
            pTool[i]->SetPicture(face(tools[i].up), face(tools[i].down), face(tools[i].pressed));
        });
    skipOnError([&] { c[1]->setEnabled(false); });
    skipOnError([&] { c[2]->setEnabled(false); });
    skipOnError([&] { c[3]->setPressed(false); });
    skipOnError([&] { c[3]->setEnabled(false); });
}
