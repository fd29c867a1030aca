#include "Widgets.h"

#include "Control.h"
#include "Screen.h"

#include <QMouseEvent>
#include <cmath>
#include <limits>

namespace vb {

QFont VbFont(const QString& family, double points, bool bold) {
    QFont f(family);
    // Without Tahoma a narrow sans serif keeps the designed texts inside their boxes; other
    // families are left to the font configuration's own substitutes.
    if (family == QLatin1String("Tahoma"))
        f.setFamilies({family, QStringLiteral("DejaVu Sans Condensed")});
    f.setPixelSize(int(std::lround(points * 96.0 / 72.0)));
    f.setBold(bold);
    return f;
}

void PlaceTwips(QWidget* w, double left, double top, double width, double height) {
    w->setGeometry(ToPixels(left, TwipsPerPixel), ToPixels(top, TwipsPerPixel),
                   ToPixels(width, TwipsPerPixel), ToPixels(height, TwipsPerPixel));
}

Label::Label(const QString& caption, QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setCaption(caption);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
}

void Label::setCaption(const QString& caption) {
    caption_ = caption;
    QString shown = caption;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setText(shown);
}

void Label::SizeToText(bool wordWrap) {
    setWordWrap(wordWrap);
    if (wordWrap) {
        resize(width(), heightForWidth(width()));
    } else {
        resize(sizeHint());
    }
}

void Label::mousePressEvent(QMouseEvent* e) {
    pressed_ = e->button() == Qt::LeftButton;
    QLabel::mousePressEvent(e);
}

void Label::mouseReleaseEvent(QMouseEvent* e) {
    const bool click =
        pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(e);
    if (click) emit Click();
}

CheckBox::CheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
}

int16_t CheckBox::Value() const {
    switch (checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void CheckBox::setValue(int16_t v) {
    setCheckState(v == 1 ? Qt::Checked : (v == 2 ? Qt::PartiallyChecked : Qt::Unchecked));
}

void CheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void Label::SizeToTextFromRight() {
    const int right = x() + width();
    SizeToText();
    move(right - width(), y());
}

QLineEdit* NewPasswordBox(QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setEchoMode(QLineEdit::Password);
    // Qt's default cap of 32,767 characters would cut a longer password silently.
    box->setMaxLength(std::numeric_limits<int>::max());
    box->setFrame(false);
    box->setFont(VbFont(QStringLiteral("Wingdings"), 14.25));
    QPalette bullets = box->palette();
    bullets.setColor(QPalette::Text, QColor(0x80, 0x80, 0x80));
    bullets.setColor(QPalette::Base, Qt::white);
    box->setPalette(bullets);
    return box;
}

QFrame* NewPasswordOutline(QWidget* parent) {
    auto* outline = new QFrame(parent);
    outline->setFrameStyle(QFrame::Box | QFrame::Plain);
    outline->setLineWidth(1);
    QPalette grey = outline->palette();
    grey.setColor(QPalette::WindowText, QColor(0xC0, 0xC0, 0xC0));
    outline->setPalette(grey);
    return outline;
}

} // namespace vb
