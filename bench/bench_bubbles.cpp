// One tick of the bubble timer on a 292 x 103 panel: the panel cleared, 22 bubbles moved
// and drawn through their masks, the panel repainted; and the same with the auto-hiding
// function row, which reads the pointer for every bubble. (main() is bench_imaging.cpp's.)

#include "FrmMain.h"
#include "PictureArea.h"
#include "StartupRules.h"
#include "VbMath.h"

#include <QWidget>
#include <benchmark/benchmark.h>

using namespace vb;

namespace {

struct Panel {
    QWidget window;
    FrmMain form;

    Panel() {
        window.resize(400, 200);
        form.Pc = new PictureArea(&window);
        form.Pc->setBackColor(0xFFFFFF);
        form.Pc->resize(292, 103);
        // The whole row: on a real display the pointer may lie in the corner and hide it.
        for (PictureArea*& f : form.pFunc) {
            f = new PictureArea(&window);
            f->resize(22, 22);
        }
        form.FunctionBarWidth = 95;
        form.BubbleSpeed = 4;
        std::vector<std::unique_ptr<cNDib>> masks;
        for (int i = 0; i < 22; ++i) {
            PictureArea picture;
            picture.setAutoSize(true);
            picture.setPicture(StdPicture(QImage(QString(":/design/pCC%1.bmp").arg(i))
                                              .convertToFormat(QImage::Format_RGB32)));
            auto sprite = std::make_unique<cNDib>();
            sprite->Make_From_Picture(picture);
            auto mask = std::make_unique<cNDib>(*sprite);
            MakeBubbleMask(*mask);
            form.BubbleSprites.push_back(std::move(sprite));
            masks.push_back(std::move(mask));

            Bubble b;
            b.R = picture.ScaleWidth() / 2;
            b.Y = Rnd() * 103;
            b.X = Rnd() * (292 - 2 * b.R) + b.R;
            b.VY = (-Rnd() - 0.5f) / form.BubbleSpeed;
            b.Phase = Rnd() * 6.28f;
            form.Bubbles.push_back(b);
        }
        for (auto& m : masks) form.BubbleSprites.push_back(std::move(m));
        window.show();
    }
};

void tick(benchmark::State& state, bool autoHide) {
    Panel panel;
    panel.form.AutoHideFunctions = autoHide;
    for (auto _ : state) panel.form.Timer1_Timer();
}

void BM_BubbleTick(benchmark::State& state) {
    tick(state, false);
}
void BM_BubbleTickAutoHide(benchmark::State& state) {
    tick(state, true);
}

} // namespace

BENCHMARK(BM_BubbleTick)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_BubbleTickAutoHide)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
