#pragma once
// Helpers shared by the tests: a temporary program folder, real mouse input on the
// offscreen platform, and modal windows driven with a time limit.

#include <QPoint>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class QTimer;
class QWidget;

namespace testing {

// A program folder in a temporary directory, made the program's folder while it lives.
class ProgramFolder {
public:
    ProgramFolder();
    ~ProgramFolder();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

// Adds a book of one picture, so that the library the start-up reads is sound.
void AddSampleBook(const ProgramFolder& folder);

// While it lives, answers every showing of the picture chooser with `file` ("" = nothing
// chosen), as the child would; the colouring window's first load shows it.
class ChooserAnswer {
public:
    explicit ChooserAnswer(QString file = QString());
    ~ChooserAnswer();
    QString file;
    int shown() const { return *shown_; }

private:
    std::shared_ptr<int> shown_;
    QTimer* timer_;
};

// Clicks Continue on the parents' message as soon as it shows, remembering its text.
class MessageReader {
public:
    MessageReader();
    ~MessageReader();
    QStringList seen;

private:
    QTimer* timer_;
};

// Real mouse events through the window system (button 1 left, 2 right, 4 middle).
void press(QWidget* w, QPoint p, int button = 1);
void move(QWidget* w, QPoint p, int buttons = 1);
void release(QWidget* w, QPoint p, int button = 1);
void click(QWidget* w, QPoint p, int button = 1);

// Runs `action` once the event loop turns (e.g. inside a modal wait); fails the test when
// `showModal` has not returned within the time limit.
bool whileModal(const std::function<void()>& showModal, const std::function<void()>& action,
                int timeoutMs = 5000);

// Records every end of the program instead of leaving the process.
class EndRecorder {
public:
    EndRecorder();
    ~EndRecorder();
    int count() const { return *count_; }

private:
    std::shared_ptr<int> count_;
};

} // namespace testing
