#pragma once
// A window of the program. The object lives for the whole run and keeps its fields;
// its window and controls exist only while it is loaded. Touching anything that reaches
// a control loads it; unloading destroys the controls and keeps the fields.

#include "PictureArea.h"

#include <QEventLoop>
#include <QObject>
#include <QPointer>

namespace vb {

class FormWindow;

class Form : public QObject {
    Q_OBJECT
public:
    enum class Style {
        Main,               // the full-screen colouring window
        Secondary,          // frameless, centred, out of the taskbar
        SecondaryInTaskbar, // frameless and centred, with a taskbar entry
    };

    explicit Form(Style style = Style::Secondary, QObject* parent = nullptr);
    ~Form() override;

    bool IsLoaded() const { return window_ != nullptr; }
    // Creates the window and its controls and runs the load step, once per loading.
    void Load();
    // Runs the unload step (which may cancel), then destroys the window and its controls.
    void Unload();

    // A modal show waits until the window is hidden or unloaded.
    void Show(bool modal = false);
    void Hide();
    bool Visible() const;
    bool IsShownModally() const { return modalLoop_ != nullptr; }

    // The window surface: persistent image, scale, drawing. Loads the window.
    PictureArea* Me();

    // Place and size on the screen, in twips.
    float Left();
    float Top();
    float Width();
    float Height();
    void Move(float left, float top, float width = -1, float height = -1);
    void setWidth(float v);
    void setHeight(float v);
    float ScaleWidth() { return Me()->ScaleWidth(); }
    float ScaleHeight() { return Me()->ScaleHeight(); }

    QString Caption();
    void setCaption(const QString& caption);
    // The window's handle, for the calls that take one.
    PictureArea* hWnd() { return Me(); }
    HDC hDC() { return Me()->hDC(); }

    bool Enabled();
    void setEnabled(bool on);

signals:
    void loaded();
    void unloaded();

protected:
    // Builds the controls with their design values on the fresh window.
    virtual void CreateControls(PictureArea* window) = 0;
    virtual void Form_Load() {}
    virtual void Form_Unload(int16_t& Cancel) { Q_UNUSED(Cancel); }
    // A close request from outside the program (a window manager's close). The window's
    // own way out decides; a window that offers none refuses the request.
    virtual void CloseRequested() {}

private:
    friend class FormWindow;
    void centre();
    void endModal();

    Style style_;
    FormWindow* window_ = nullptr;
    QEventLoop* modalLoop_ = nullptr;
    bool centred_ = false;
    bool loading_ = false;
};

// The top-level widget of a form: a picture area that hands close requests to the form.
class FormWindow : public PictureArea {
    Q_OBJECT
public:
    explicit FormWindow(Form* form);

protected:
    void closeEvent(QCloseEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    QPointer<Form> form_;
};

// Window of the screen rectangle, as the window manager reports it (pixels).
RECT GetWindowRect(const QWidget* window);

} // namespace vb
