#pragma once
// The program's picture button: shows one of up to five state faces on its inner picture
// area `P` and passes the mouse on as events of its own. Faces are given at load with
// SetPicture; the hidden area `pT` only serves to copy a picture into an image buffer.

#include "Control.h"
#include "PictureArea.h"
#include "StdPicture.h"
#include "cNDib.h"

#include <QStringList>
#include <QWidget>
#include <memory>

class pButton : public QWidget {
    Q_OBJECT
public:
    explicit pButton(QWidget* parent = nullptr);
    ~pButton() override;

    vb::PictureArea* P = nullptr;  // the visible face, receives the mouse
    vb::PictureArea* pT = nullptr; // hidden loader

    // Empty until SetPicture fills them.
    std::unique_ptr<cNDib> UpImage;
    std::unique_ptr<cNDib> DownImage;
    std::unique_ptr<cNDib> PressedImage;
    std::unique_ptr<cNDib> DisabledImage;
    std::unique_ptr<cNDib> GreyImage;

    void picture(const vb::StdPicture& Pc);
    void Picture2(const QString& FileName);
    // Loads the faces (an empty picture means "not given"); returns the number of the
    // error that stopped it, 0 on success.
    int32_t SetPicture(const vb::StdPicture& pUP, const vb::StdPicture& pDOWN = {},
                       const vb::StdPicture& pPRESSED = {}, const vb::StdPicture& pDISABLED = {});

    // The control's own size in twips. Its place and size in the container's unit are
    // Left/Top/Move below and vb::ControlWidth/ControlHeight (or PlaceWidth/PlaceHeight).
    int32_t Width() const;
    int32_t Height() const;
    void setWidth(int32_t twips);
    void setHeight(int32_t twips);

    // Enabled is the inner area's; this hides QWidget::setEnabled, which would switch
    // off the whole control instead of showing the disabled face.
    bool Enabled() const { return P->Enabled(); }
    void setEnabled(bool v);

    bool Pressed() const { return pressed_; }
    void setPressed(bool v);
    // While set, faces go to the persistent image without a repaint; clearing repaints.
    bool LockRefresh() const { return lockRefresh_; }
    void setLockRefresh(bool v);
    QString ToolText() const { return P->ToolTipText(); }
    void setToolText(const QString& t) { P->setToolTipText(t); }
    void MouseIcon(const vb::StdPicture& vNewValue);
    int16_t OleDropMode() const { return P->OLEDropMode(); }
    void setOleDropMode(int16_t m) { P->setOLEDropMode(m); }
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool v) { autoSize_ = v; }

    // Position in a button array, -1 when the button stands alone.
    int16_t Index() const { return index_; }
    void setIndex(int16_t i) { index_ = i; }

    // Place in the container's scale unit, like any other control.
    float Left() const { return vb::ControlLeft(this); }
    float Top() const { return vb::ControlTop(this); }
    float PlaceWidth() const { return vb::ControlWidth(this); }
    float PlaceHeight() const { return vb::ControlHeight(this); }
    void setLeft(float v) { vb::SetControlLeft(this, v); }
    void setTop(float v) { vb::SetControlTop(this, v); }
    void setPlaceWidth(float v) { vb::SetControlWidth(this, v); }
    void setPlaceHeight(float v) { vb::SetControlHeight(this, v); }
    void Move(float left, float top, float width = -1, float height = -1) {
        vb::ControlMove(this, left, top, width, height);
    }

signals:
    void MouseDown(int16_t Button, int16_t Shift, float x, float y);
    void MouseUp();
    void MouseMove(int16_t Button, int16_t Shift, float x, float y);
    void click();
    void OLEDragDrop(const QStringList& Data, int32_t Effect, int16_t Button, int16_t Shift,
                     float x, float y);

private:
    void drawFace(cNDib* face);
    std::unique_ptr<cNDib> loadFace(const vb::StdPicture& face);

    bool autoSize_ = true;
    bool pressed_ = false;
    bool lockRefresh_ = false;
    int16_t index_ = -1;
};
