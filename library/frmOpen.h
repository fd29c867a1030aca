#pragma once
// The picture chooser: the library as a scrolling sheet of thumbnails, book after book.
// A click on a thumbnail returns that picture's path in FileName; "draw a picture"
// returns the child's own page; "nevermind" returns nothing. The caller sets FileName to
// "", shows the window modally and reads FileName. The window is only hidden between
// uses, so its sheet (built once per loading) and scroll position stay.
// Scan: frmOpen_Scan.cpp; scrolling: frmOpen_Scroll.cpp.

#include "Form.h"
#include "PictureArea.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class pButton;

// One thumbnail on the sheet: its 100 x 100 box and the picture it stands for.
struct PicItem {
    int32_t Left = 0;
    int32_t Top = 0;
    QString FileName; // as listed, without folder
    QString Folder;   // the book folder's full path, no trailing "/"
};

class frmOpen : public vb::Form {
    Q_OBJECT
public:
    frmOpen();
    ~frmOpen() override;

    // The result: full path of the chosen picture, "" for nothing chosen.
    QString FileName;

    // The thumbnails in scan order; element 0 is never used.
    std::vector<PicItem> Pics;
    // The thumbnail chosen last, -1 for none since the window was loaded.
    int32_t SelIndex = -1;
    // Where the ball was grabbed, in ball pixels.
    int32_t BallGrabY = 0;

    // The display form of a book name.
    QString ProperCase(const QString& txt);

    // Controls; they exist while the window is loaded.
    vb::PictureArea* pM = nullptr;     // white panel
    vb::PictureArea* PB = nullptr;     // the viewport
    vb::PictureArea* Pmb = nullptr;    // the thumbnail sheet
    QWidget* sI = nullptr;             // hover mark
    std::array<pButton*, 2> cScroll{}; // up, down
    pButton* sBall = nullptr;
    pButton* cClose = nullptr;
    pButton* cPicadd = nullptr;
    pButton* pMorePics = nullptr;
    vb::PictureArea* pOwn = nullptr; // blank page for an own drawing
    vb::PictureArea* pT = nullptr;   // loading stage of the scan

    void Pmb_MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void Pmb_MouseUp(int16_t Button, int16_t Shift, float X, float Y);
    void cPicadd_click();
    void pMorePics_click();
    void cClose_click();
    void cScroll_click(int16_t Index);
    void sBall_MouseDown(int16_t Button, int16_t Shift, float x, float y);
    void sBall_MouseMove(int16_t Button, int16_t Shift, float x, float y);

protected:
    void CreateControls(vb::PictureArea* window) override;
    void Form_Load() override;
    void Form_Unload(int16_t& Cancel) override;
    void CloseRequested() override { cClose_click(); }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Activate();
    int32_t PicAtPoint(int32_t& x, int32_t& y);
    void RefreshSelectedPic();
    void LoadPictureList();
    void ScanFailed();
    void ShowImporter();
    void ScrollStep(int32_t t);
    void PlaceBall();
    void RepaintNow();
};

namespace Forms {
::frmOpen& frmOpen();
}
