// Printing the canvas, fitted to the page and centred, once per copy asked for.

#include "FrmMain.h"

#include "AppPath.h"
#include "Printing.h"
#include "VbError.h"
#include "VbMath.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

using namespace vb;

namespace {
constexpr int32_t kPrintFailed = 2;
} // namespace

void FrmMain::GetFitRect(int32_t BoxWidth, int32_t BoxHeight, int32_t PictureWidth,
                         int32_t PictureHeight, int32_t& Left, int32_t& Top, int32_t& Width,
                         int32_t& Height) {
    const double bw = BoxWidth, bh = BoxHeight, pw = PictureWidth, ph = PictureHeight;
    if (PictureWidth <= PictureHeight) {
        Height = BoxHeight;
        Width = CLng(bh / ph * pw);
    } else {
        Width = BoxWidth;
        Height = CLng(bw / pw * ph);
    }
    if (Height > BoxHeight) Height = BoxHeight;
    Width = CLng(Height / ph * pw);
    if (Width > BoxWidth) Width = BoxWidth;
    Height = CLng(Width / pw * ph);
    Left = CLng(bw / 2 - Width / 2.0);
    Top = CLng(bh / 2 - Height / 2.0);
}

void FrmMain::PrintPicture() {
    if (!AskParents(QStringLiteral("There was an attempt to print the current picture. You have "
                                   "set a password lock on this function. Please enter your "
                                   "password and press OK to continue."),
                    QStringLiteral("Oh no!, something happened when you tried to print your "
                                   "picture. Call someone who can help you!"),
                    true)) {
        Timer1->setEnabled(true);
        return;
    }

    // The printer dialog presets itself from the current printer and hands the choice back
    // to it; a cancel ends the path without a word.
    QPrinter& printer = CurrentPrinter();
    int copies = 0;
    if (!ChoosePrinter(printer, Me(), copies)) {
        Timer1->setEnabled(true);
        if (Tool != 3) Pc->show();
        return;
    }

    try {
        const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
        int32_t left = 0, top = 0, width = 0, height = 0;
        GetFitRect(page.width(), page.height(), CLng(P->ScaleWidth()), CLng(P->ScaleHeight()), left,
                   top, width, height);
        const QString scratch = AppPath() + QStringLiteral("/tmp.bmp");
        SavePicture(P->Image(), scratch);
        P->setPicture(LoadPicture(scratch));
        if (copies >= 1) {
            QPainter painter;
            if (!painter.begin(&printer)) Raise(ErrPathFileAccess);
            for (int copy = 1; copy <= copies; ++copy) {
                painter.drawImage(QRect(left, top, width, height), P->Picture().image());
                if (copy < copies && !printer.newPage()) Raise(ErrPathFileAccess);
            }
            if (!painter.end()) Raise(ErrPathFileAccess);
        }
    } catch (const VbError&) {
        ShowErrorMessage(kPrintFailed, QString());
        return;
    }
    Timer1->setEnabled(true);
    if (Tool != 3) Pc->show();
}
