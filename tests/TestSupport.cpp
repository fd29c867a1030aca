#include "TestSupport.h"

#include "AppPath.h"
#include "EndProgram.h"
#include "frmOpen.h"
#include "frmParentMessage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace {
// CTest gives each test a runtime folder of its own; make it as Qt wants it (0700) before
// the application object looks at it.
const bool runtimeFolderReady = [] {
    const QByteArray dir = qgetenv("XDG_RUNTIME_DIR");
    if (dir.isEmpty()) return false;
    QDir().mkpath(QString::fromLocal8Bit(dir));
    return QFile::setPermissions(QString::fromLocal8Bit(dir),
                                 QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}();
} // namespace

namespace testing {

ProgramFolder::ProgramFolder() {
    vb::SetAppPath(dir_.path());
}
ProgramFolder::~ProgramFolder() {
    vb::SetAppPath(QString());
}

namespace {
Qt::MouseButton qtButton(int b) {
    return b == 2 ? Qt::RightButton : (b == 4 ? Qt::MiddleButton : Qt::LeftButton);
}
Qt::MouseButtons qtButtons(int b) {
    Qt::MouseButtons out;
    if (b & 1) out |= Qt::LeftButton;
    if (b & 2) out |= Qt::RightButton;
    if (b & 4) out |= Qt::MiddleButton;
    return out;
}
void send(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button,
          Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(p), QPointF(w->mapToGlobal(p)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
} // namespace

void press(QWidget* w, QPoint p, int button) {
    send(w, QEvent::MouseButtonPress, p, qtButton(button), qtButtons(button));
}
void move(QWidget* w, QPoint p, int buttons) {
    send(w, QEvent::MouseMove, p, Qt::NoButton, qtButtons(buttons));
}
void release(QWidget* w, QPoint p, int button) {
    send(w, QEvent::MouseButtonRelease, p, qtButton(button), Qt::NoButton);
}
void click(QWidget* w, QPoint p, int button) {
    press(w, p, button);
    release(w, p, button);
}

bool whileModal(const std::function<void()>& showModal, const std::function<void()>& action,
                int timeoutMs) {
    bool returned = false;
    QTimer::singleShot(0, action);
    // A safety net: whatever is modal gets closed so the test fails instead of hanging.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->isModal()) w->hide();
    });
    guard.start(timeoutMs);
    showModal();
    returned = guard.isActive();
    guard.stop();
    return returned;
}

namespace {
// Outside an EndRecorder an end of the program is a fault of the test: leaving the process
// quietly would stop the test half way and still count as a pass.
void unexpectedEnd() {
    qFatal("the program ended outside a testing::EndRecorder");
}
const bool endGuarded = [] {
    vb::SetEndProgramHandler(unexpectedEnd);
    return true;
}();
} // namespace

void AddSampleBook(const ProgramFolder& folder) {
    QDir().mkpath(folder.file(QStringLiteral("books/sample")));
    QImage page(120, 90, QImage::Format_RGB32);
    page.fill(Qt::white);
    for (int x = 10; x < 110; ++x) page.setPixel(x, 45, 0xFF000000);
    if (!page.save(folder.file(QStringLiteral("books/sample/page.bmp")), "BMP"))
        qFatal("cannot write the sample book");
}

ChooserAnswer::ChooserAnswer(QString f)
    : file(std::move(f)), shown_(std::make_shared<int>(0)), timer_(new QTimer) {
    QObject::connect(timer_, &QTimer::timeout, [this] {
        frmOpen& chooser = Forms::frmOpen();
        if (!chooser.IsLoaded() || !chooser.Visible()) return;
        ++*shown_;
        chooser.FileName = file;
        chooser.Hide();
    });
    timer_->start(10);
}

ChooserAnswer::~ChooserAnswer() {
    delete timer_;
}

MessageReader::MessageReader() : timer_(new QTimer) {
    QObject::connect(timer_, &QTimer::timeout, [this] {
        if (!Forms::frmParentMessage().Visible()) return;
        seen << Forms::frmParentMessage().lMessage->Caption();
        Forms::frmParentMessage().lContinue_Click();
    });
    timer_->start(20);
}

MessageReader::~MessageReader() {
    delete timer_;
}

EndRecorder::EndRecorder() : count_(std::make_shared<int>(0)) {
    auto c = count_;
    vb::SetEndProgramHandler([c] { ++*c; });
}
EndRecorder::~EndRecorder() {
    vb::SetEndProgramHandler(unexpectedEnd);
}

} // namespace testing
