// The library scan: every picture of every book, or its coloured copy, drawn as a
// thumbnail on the sheet, while the loading window shows which book is being read. A
// library that cannot be loaded ends the program, with no worker left running.

#include "AppPath.h"
#include "EndProgram.h"
#include "FrmMain.h"
#include "Gdi.h"
#include "LibraryScan.h"
#include "Screen.h"
#include "VbError.h"
#include "VbMath.h"
#include "frmMessage.h"
#include "frmOpen.h"
#include "frmSplash.h"
#include "pButton.h"

#include <QCoreApplication>
#include <QEventLoop>

using namespace vb;

void frmOpen::LoadPictureList() {
    Screen::SetMousePointer(vbHourglass);
    Forms::frmSplash().setForm_style(1);
    Forms::frmSplash().Show(false);

    const int32_t W = CLng(Pmb->ScaleWidth());
    Pics.assign(1, PicItem{});
    int32_t placed = 0;

    // No books folder, or one without sub-folders.
    const std::vector<BookFolder> books = ListLibrary(AppPath());
    if (books.empty()) {
        ScanFailed();
        return;
    }

    // Where every thumbnail goes follows from the lists alone; the sheet takes its final
    // height at once instead of growing (and copying itself) picture by picture.
    std::vector<int32_t> counts;
    for (const BookFolder& b : books) counts.push_back(int32_t(b.Pictures.size()));
    const SheetPlan plan = PlanSheet(counts, W, CLng(Pmb->ScaleHeight()));

    // Pictures are decoded and shrunk on worker threads, book after book; this thread
    // places them in order as they come.
    std::vector<ThumbnailJob> jobs;
    for (size_t i = 0; i < books.size(); ++i)
        for (qsizetype j = 0; j < books[i].Pictures.size(); ++j)
            jobs.push_back({books[i].Folder, books[i].Pictures[j],
                            QPoint(plan.Books[i][j].Left, plan.Books[i][j].Top)});
    ThumbnailMaker maker(std::move(jobs), pT->BackColor());
    if (plan.Height != CLng(Pmb->ScaleHeight())) Pmb->SetHeight(float(plan.Height));

    // The loading window keeps painting during a long book; the child's input waits for
    // the book's own turn of the event loop.
    const auto idle = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    const int32_t count = int32_t(books.size());
    size_t next = 0;
    try {
        for (int32_t i = 0; i < count; ++i) {
            const BookFolder& book = books[i];
            if (book.Own) continue;
            const QString name = ProperCase(GetLastPathPart(book.Folder));
            Forms::frmSplash().setProgressText(ProgressText(i, count, name));
            QCoreApplication::processEvents();
            for (qsizetype j = 0; j < book.Pictures.size(); ++j) {
                Thumbnail thumb;
                if (!maker.Take(next++, thumb, idle)) Raise(ErrInvalidPicture);
                ++placed;
                const SheetPlan::Box box = plan.Books[i][j];
                Pics.push_back(PicItem{box.Left, box.Top, book.Pictures[j], book.Folder});
                if (thumb.Pixels.isNull()) continue;
                DeviceContext drawn(thumb.Pixels);
                BitBlt(Pmb->hDC(), thumb.At.x(), thumb.At.y(), drawn.width(), drawn.height(),
                       &drawn, 0, 0, SRCCOPY);
            }
        }
    } catch (const VbError&) {
        maker.Stop();
        ScanFailed();
        return;
    } catch (const std::bad_alloc&) {
        maker.Stop();
        ScanFailed();
        return;
    }

    Pmb->Refresh();
    const bool scrolls = Pmb->ScaleHeight() > PB->ScaleHeight();
    cScroll[0]->setEnabled(scrolls);
    cScroll[1]->setEnabled(scrolls);
    sBall->setEnabled(scrolls);
    if (placed == 0) {
        ScanFailed();
        return;
    }
    Pmb->show();
    Forms::frmSplash().Unload();
    Screen::SetMousePointer(vbDefault);
}

// Nothing of the scan survives: the program tells the child and ends.
void frmOpen::ScanFailed() {
    Forms::frmSplash().Unload();
    Screen::SetMousePointer(vbDefault);
    if (Forms::FrmMain().IsLoaded() && Forms::FrmMain().Timer1)
        Forms::FrmMain().Timer1->setEnabled(false);
    Pics.assign(1, PicItem{});

    frmMessage& m = Forms::frmMessage();
    m.setExtendedInformation(QStringLiteral(
        "There was a problem loading the pictures. Make sure that none of them are damaged. If "
        "you do not know what the problem is, please reinstall The Tintavale. Press OK to exit "
        "the program."));
    m.setMessage(
        QStringLiteral("Oh no! something strange has happened! Call someone who can help you!"));
    m.setShowCancel(false);
    m.setPasswordVisible(false);
    m.Show(true);

    // The colouring window's unload closes every window and ends the program; the chooser
    // also goes itself, so that the show that loaded it returns without showing it.
    Forms::FrmMain().Unload();
    Unload();
    EndProgram();
}
