#pragma once
// The colouring window's canvas without its start-up: the controls the strokes use, made
// with their design values on an unloaded window, and a picture put on canvas and
// template as the open command would. Keeps the painting tests and benchmarks free of the
// settings file and the picture chooser.

#include "FrmMain.h"
#include "PaintingSupport.h"
#include "pButton.h"

#include <QWidget>

namespace testing {

// Canvas P, template tP, undo button c(2) and Timer1, with the brush of `tool`.
struct CanvasRig {
    QWidget window;
    FrmMain form;

    CanvasRig() {
        window.resize(1100, 820);
        auto* pb = new vb::PictureArea(&window);
        pb->resize(1100, 820);
        form.PB = pb;
        form.P = new vb::PictureArea(pb);
        form.P->setScaleMode(3);
        form.P->setDrawWidth(2);
        form.P->setAutoSize(true);
        form.P->hide();
        form.tP = new vb::PictureArea(&window);
        form.tP->hide();
        form.tP->setScaleMode(3);
        form.tP->setDrawWidth(2);
        form.tP->setFillStyle(0);
        form.tP->setBackColor(0xFFFFFF);
        form.tP->setAutoSize(true);
        for (int i = 0; i < 4; ++i) form.c[i] = new pButton(&window);
        form.c[2]->setEnabled(false);
        form.Timer1 = new vb::Timer(&window, 1, false);
        QObject::connect(form.P, &vb::PictureArea::MouseDown, &form, &FrmMain::P_MouseDown);
        QObject::connect(form.P, &vb::PictureArea::DblClickPress, &form, &FrmMain::P_MouseDown);
        QObject::connect(form.P, &vb::PictureArea::MouseMove, &form, &FrmMain::P_MouseMove);
        QObject::connect(form.P, &vb::PictureArea::MouseUp, &form, &FrmMain::P_MouseUp);
        setTool(0);
        window.show();
    }

    // What tool selection does for the canvas: the tool and its brush.
    void setTool(int tool) {
        form.Tool = tool;
        static const int sizes[3][2] = {{38, 34}, {112, 106}, {8, 8}};
        static const int darkest[3] = {5, 126, 165};
        const int b = tool > 2 ? 0 : tool;
        QImage img(QString(":/design/pBr%1.bmp").arg(b));
        if (img.isNull())
            img = discBrush(sizes[b][0], sizes[b][1], darkest[b],
                            std::min(sizes[b][0], sizes[b][1]) / 2);
        form.BrushDib = std::make_unique<cNDib>(dibOf(img.convertToFormat(QImage::Format_RGB32)));
    }

    // The line art on canvas and template, the canvas shown and its buffer rebuilt.
    void putPicture(const QImage& art) { putPicture(form, art); }
    static void putPicture(FrmMain& f, const QImage& art) {
        f.tP->setPicture(vb::StdPicture(art));
        f.P->setPicture(vb::StdPicture(art));
        f.P->show();
        f.CanvasDib = std::make_unique<cNDib>();
        f.CanvasDib->Make_From_Picture(*f.P);
        f.UndoIndex = -1;
    }

    QImage canvas() { return form.P->Image().image(); }
    QImage templ() { return form.tP->Image().image(); }
};

} // namespace testing
