#pragma once
// The colouring window loaded as the program starts it, on a 1024 x 768 screen in a
// temporary program folder, with a recorder in place of the sound output.

#include "EndProgram.h"
#include "FrmMain.h"
#include "Screen.h"
#include "Sound.h"
#include "TestSupport.h"

#include <QFile>
#include <QStringList>
#include <QUrl>

namespace testing {

// Records which sounds would have played; "playing" is whatever the test says.
class SoundRecorder : public vb::SoundOutput {
public:
    QStringList played; // names without ".wav"
    bool playing = false;
    int waits = 0;
    SoundRecorder() { vb::SetSoundOutput(this); }
    ~SoundRecorder() override { vb::SetSoundOutput(nullptr); }
    bool IsPlaying() override { return playing; }
    void Play(const QUrl& sound) override { played << sound.fileName().chopped(4); }
    void WaitForEnd(int) override { ++waits; }
};

// Settings lines: password, quit lock, sound, auto-hide, bubble speed.
struct LoadedMain {
    ProgramFolder folder;
    EndRecorder ends;
    SoundRecorder sounds;
    ChooserAnswer chooser; // the first load opens the chooser: nothing is chosen
    FrmMain& m = Forms::FrmMain();

    explicit LoadedMain(const QByteArray& settings = "pw\r\n 1 \r\n 1 \r\n 0 \r\n4\r\n") {
        QFile f(folder.file("Settings.txt"));
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write Settings.txt");
        f.write(settings);
        f.close();
        AddSampleBook(folder);
        vb::Screen::Override(QSize(1024, 768), 32);
        m.Unload();
        // One colouring window serves every test: what it keeps across an unload goes.
        m.Loaded = false;
        m.PicturePath.clear();
        m.SavedCanvas.reset();
        m.Tool = 0;
        m.UndoIndex = -1;
        m.HoverCount = 0;
        m.Load();
        if (!m.Loaded) qFatal("the colouring window did not load");
    }
    ~LoadedMain() {
        m.Unload();
        vb::Screen::Override(QSize(), 0);
    }
};

} // namespace testing
