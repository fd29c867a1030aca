#pragma once
// Plain toolkit controls as the secondary windows use them: labels (also as buttons and
// links), check boxes with the greyed state, fonts given in points, places in twips.

#include <QCheckBox>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>

namespace vb {

// A font of the given size in points on the 96-dpi screen the twips assume (15 per pixel).
QFont VbFont(const QString& family, double points, bool bold = false);

// Places a control by twips, whatever its container counts in.
void PlaceTwips(QWidget* w, double left, double top, double width, double height);

// Text on a transparent background, wrapped inside its rectangle, cut off at its bottom.
// A press and release on it is a Click.
class Label : public QLabel {
    Q_OBJECT
public:
    Label(const QString& caption, QWidget* parent);
    // The text as given; CR LF, LF or CR show as a line break.
    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    // Sizes the label to its text: one line wide, or (with word wrap) as tall as the text
    // needs at its present width.
    void SizeToText(bool wordWrap = false);
    // Sizes a one-line label to its text keeping its right edge where it is, so that a
    // wider substitute font cannot push a caption at a panel's right out of the panel.
    void SizeToTextFromRight();

signals:
    void Click();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QString caption_;
    bool pressed_ = false;
};

// A check box whose Value is 0 clear, 1 ticked or 2 greyed. Greyed is only ever set by
// the program; a click on a greyed box ticks it, and clicks then toggle clear and ticked.
class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    CheckBox(const QString& caption, QWidget* parent);
    int16_t Value() const;
    void setValue(int16_t v);

protected:
    void nextCheckState() override;
};

// The parents' password box: flat, each typed character a grey bullet on white; and the
// light grey outline drawn round it (made first, so the box lies over it).
QLineEdit* NewPasswordBox(QWidget* parent);
QFrame* NewPasswordOutline(QWidget* parent);

} // namespace vb
