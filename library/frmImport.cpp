#include "frmImport.h"

#include "AppPath.h"
#include "Control.h"
#include "FrmMain.h"
#include "GCommonDialog.h"
#include "ImportMessages.h"
#include "PicturePack.h"
#include "Screen.h"
#include "Shell.h"
#include "ShowHelpTopic.h"
#include "StdPicture.h"
#include "frmOpen.h"
#include "frmParentMessage.h"
#include "mWindow.h"

#include <QFile>

using namespace vb;

namespace {

const QString DownloadPage =
    QStringLiteral("https://www.example.org/thetintavale/downloads_pp.htm");

const QString Paragraph = QStringLiteral("\r\n\r\n");

void TellParents(const QString& text) {
    Forms::frmParentMessage().setMessage(text);
    Forms::frmParentMessage().Show(true);
}

} // namespace

frmImport::frmImport() : Form(Style::Secondary) {}

void frmImport::CreateControls(PictureArea* window) {
    window->setWindowTitle(QStringLiteral("Add pictures"));
    window->setFixedSize(ToPixels(6450, TwipsPerPixel), ToPixels(3630, TwipsPerPixel));
    window->setBackColor(0x0000FF); // design colour; the load step makes it white

    pM = new PictureArea(window);
    pM->setBackColor(0xFFFFFF);
    PlaceTwips(pM, 120, 120, 6195, 3375);

    const QFont plain = VbFont(QStringLiteral("Tahoma"), 9.75);
    const QFont bold = VbFont(QStringLiteral("Tahoma"), 9.75, true);
    auto label = [&](const QString& text, const QFont& font, double l, double t, double w,
                     double h) {
        auto* lb = new Label(text, pM);
        lb->setFont(font);
        PlaceTwips(lb, l, t, w, h);
        return lb;
    };

    Label1[0] = label(QStringLiteral("This window allows you to add Picture Packs for The "
                                     "Tintavale. Picture Packs are special files that contain "
                                     "several pictures within them and they can be downloaded "
                                     "from The Tintavale website."),
                      plain, 120, 120, 6015, 735);
    Label1[1] = label(QStringLiteral("If you already have a Picture Pack (a .tvp file), please "
                                     "press the 'Add pictures' button below. Once you have "
                                     "opened the Picture Pack file, the pictures will be "
                                     "automatically installed and will appear in the picture "
                                     "selection window."),
                      plain, 120, 1080, 6015, 1095);

    lButton[0] =
        label(QStringLiteral("Download Pictures for The Tintavale"), bold, 120, 2280, 3630, 240);
    lButton[1] =
        label(QStringLiteral("Add pictures (from a saved .tvp file)"), bold, 120, 2760, 3615, 240);
    lButton[2] = label(QStringLiteral("Cancel"), bold, 5520, 3120, 630, 240);
    lButton[3] = label(QStringLiteral("Help"), bold, 4920, 3120, 420, 240);
    lButton[3]->hide();
    for (int16_t i = 0; i < int16_t(lButton.size()); ++i) {
        Label* b = lButton[i];
        // The right-hand pair keep their right edges in the panel.
        if (i >= 2)
            b->SizeToTextFromRight();
        else
            b->SizeToText();
        connect(b, &Label::Click, this, [this, i] { lButton_Click(i); });
    }
}

void frmImport::Form_Load() {
    Me()->setBackColor(0xFFFFFF);
    DrawWindowEdge(hWnd(), hDC(), EDGE_RAISED, BF_RECT);
    const QCursor hand = LoadResPicture(101, vbResCursor).toCursor();
    for (Label* b : lButton) b->setCursor(hand);
}

void frmImport::lButton_Click(int16_t Index) {
    switch (Index) {
    case 0:
        Unload();
        // The window is gone, so the page gets no owner. The colouring window steps aside
        // only for a page that opened.
        if (ShellExecuteA(nullptr, QStringLiteral("open"), DownloadPage, QString(), QString(),
                          SW_SHOWNORMAL) <= 32)
            TellParents(QStringLiteral("The page for downloading pictures could not be opened. "
                                       "There may be no web browser on this computer. To "
                                       "download pictures, visit ") +
                        DownloadPage + QStringLiteral(" with a web browser."));
        else if (Forms::FrmMain().IsLoaded())
            Forms::FrmMain().Me()->showMinimized();
        break;
    case 1:
        InstallPack();
        break;
    case 2:
        Unload();
        break;
    case 3:
        ShowHelpTopic(hWnd(), QStringLiteral("new pictures.htm"));
        break;
    }
}

void frmImport::InstallPack() {
    GCommonDialog::OpenFileArgs args;
    args.FileMustExist = true;
    args.Filter = QStringLiteral("The Tintavale image pack (*.tvp)|*.tvp");
    args.FilterIndex = 1;
    args.Owner = hWnd();
    if (!GCommonDialog().VBGetOpenFileName(args)) return;

    // Bytes stay bytes: the pieces are written exactly as the pack holds them.
    Screen::SetMousePointer(vbHourglass);
    PicturePack::Result result; // damaged until read and installed
    const QString books = AppPath() + QStringLiteral("/books");
    QFile pack(args.FileName);
    if (pack.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = pack.readAll();
        if (pack.error() == QFileDevice::NoError) result = PicturePack::InstallBook(bytes, books);
        pack.close();
    }
    Screen::SetMousePointer(vbDefault);

    if (result.Kind != PicturePack::Outcome::Installed) {
        TellParents(ImportFailureText(result, books));
        return;
    }

    TellParents(QStringLiteral("The pictures were added successfully. After closing this "
                               "window, please click on the 'Open pictures' button. You should "
                               "then see the new pictures listed.") +
                Paragraph + QStringLiteral("Press 'Continue' to close this window."));
    Unload();
    // The chooser scans the library again on its next showing, new book included.
    Forms::frmOpen().Unload();
}

namespace Forms {
::frmImport& frmImport() {
    static auto* form = new ::frmImport;
    return *form;
}
} // namespace Forms
