#include "Form.h"

#include "Control.h"
#include "Screen.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace vb {

FormWindow::FormWindow(Form* form) : PictureArea(nullptr), form_(form) {
    setBackColor(0xFFFFFF);
}

void FormWindow::closeEvent(QCloseEvent* e) {
    // Only the form may end its window; a close request must never skip what its own
    // buttons would do first (a password, a save).
    e->ignore();
    if (form_) form_->CloseRequested();
}

void FormWindow::hideEvent(QHideEvent* e) {
    PictureArea::hideEvent(e);
    if (form_ && !e->spontaneous()) form_->endModal();
}

Form::Form(Style style, QObject* parent) : QObject(parent), style_(style) {}

Form::~Form() {
    if (window_) {
        window_->disconnect();
        delete window_;
    }
}

void Form::Load() {
    if (window_ || loading_) return;
    loading_ = true;
    window_ = new FormWindow(this);
    Qt::WindowFlags flags = Qt::FramelessWindowHint;
    switch (style_) {
    case Style::Main: flags |= Qt::Window; break;
    case Style::Secondary: flags |= Qt::Tool; break;
    case Style::SecondaryInTaskbar: flags |= Qt::Window; break;
    }
    window_->setWindowFlags(flags);
    centred_ = false;
    CreateControls(window_);
    loading_ = false;
    Form_Load();
    emit loaded();
}

void Form::Unload() {
    if (!window_) return;
    int16_t cancel = 0;
    Form_Unload(cancel);
    if (cancel || !window_) return;
    FormWindow* w = window_;
    window_ = nullptr;
    endModal();
    w->hide();
    // The unload may come from an event handler of one of the window's own controls.
    w->deleteLater();
    emit unloaded();
}

namespace {
// Brings a window to the front; the offscreen test platform has no stacking to change.
void bringToFront(QWidget* w) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) w->raise();
    w->activateWindow();
}
} // namespace

void Form::centre() {
    const QRect screen(0, 0, Screen::PixelWidth(), Screen::PixelHeight());
    const QSize s = window_->size();
    window_->move(screen.x() + (screen.width() - s.width()) / 2,
                  screen.y() + (screen.height() - s.height()) / 2);
    centred_ = true;
}

void Form::Show(bool modal) {
    Load();
    if (!window_) return;
    if (style_ != Style::Main && !centred_) centre();
    if (!modal) {
        window_->show();
        bringToFront(window_);
        return;
    }
    if (modalLoop_) return; // already waiting on this window
    window_->setWindowModality(Qt::ApplicationModal);
    window_->show();
    bringToFront(window_);
    QEventLoop loop;
    modalLoop_ = &loop;
    loop.exec(QEventLoop::DialogExec);
    modalLoop_ = nullptr;
    if (window_) window_->setWindowModality(Qt::NonModal);
}

void Form::endModal() {
    if (modalLoop_) modalLoop_->quit();
}

void Form::Hide() {
    if (!window_) {
        return;
    }
    window_->hide();
    endModal();
}

bool Form::Visible() const { return window_ && window_->isVisible(); }

PictureArea* Form::Me() {
    Load();
    return window_;
}

float Form::Left() { return ControlLeft(Me()); }
float Form::Top() { return ControlTop(Me()); }
float Form::Width() { return ControlWidth(Me()); }
float Form::Height() { return ControlHeight(Me()); }
void Form::Move(float l, float t, float w, float h) {
    ControlMove(Me(), l, t, w, h);
    centred_ = true;
}
void Form::setWidth(float v) { SetControlWidth(Me(), v); }
void Form::setHeight(float v) { SetControlHeight(Me(), v); }

QString Form::Caption() { return Me()->windowTitle(); }
void Form::setCaption(const QString& c) { Me()->setWindowTitle(c); }

bool Form::Enabled() { return Me()->isEnabled(); }
void Form::setEnabled(bool on) { Me()->setEnabled(on); }

RECT GetWindowRect(const QWidget* w) {
    RECT r;
    if (!w) return r;
    const QRect g = w->isWindow() ? w->frameGeometry() : QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    r.Left = g.left();
    r.Top = g.top();
    r.Right = g.left() + g.width();
    r.Bottom = g.top() + g.height();
    return r;
}

} // namespace vb
