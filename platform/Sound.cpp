#include "Sound.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QtEndian>
#include <map>
#include <memory>

namespace vb {

namespace {

// Length of a WAVE file in milliseconds from its header; 0 when it cannot be told.
qint64 WaveLengthMs(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return 0;
    const QByteArray bytes = file.read(4096);
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") return 0;
    quint32 byteRate = 0;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(at, 4);
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
        if (id == "fmt " && at + 16 <= bytes.size())
            byteRate = qFromLittleEndian<quint32>(bytes.constData() + at + 16);
        if (id == "data") return byteRate ? qint64(size) * 1000 / byteRate : 0;
        at += 8 + qsizetype(size) + (size & 1);
    }
    return 0;
}

// One channel over Qt Multimedia. Without an audio device a sound effect reports that it
// plays for ever, so then nothing is started at all; and the sound's own length bounds
// how long it counts as playing, whatever the device says.
class QtSoundOutput : public SoundOutput {
public:
    bool IsPlaying() override {
        return current_ && current_->isPlaying() && clock_.elapsed() < lengthMs_ + SlackMs;
    }

    void Play(const QUrl& sound) override {
        if (current_) current_->stop();
        current_ = nullptr;
        if (QMediaDevices::defaultAudioOutput().isNull()) return;
        auto& effect = effects_[sound];
        if (!effect) {
            effect = std::make_unique<QSoundEffect>();
            effect->setSource(sound);
        }
        current_ = effect.get();
        lengthMs_ = WaveLengthMs(QLatin1Char(':') + sound.path());
        clock_.start();
        current_->play();
    }

    void WaitForEnd(int timeoutMs) override {
        if (!IsPlaying()) return;
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(current_, &QSoundEffect::playingChanged, &loop, [this, &loop] {
            if (!IsPlaying()) loop.quit();
        });
        limit.start(int(std::min<qint64>(timeoutMs, lengthMs_ + SlackMs - clock_.elapsed())));
        // The caller is blocked for the sound's length: no clicks or keys reach it meanwhile.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }

private:
    static constexpr qint64 SlackMs = 250; // the device's start-up delay
    std::map<QUrl, std::unique_ptr<QSoundEffect>> effects_;
    QSoundEffect* current_ = nullptr;
    QElapsedTimer clock_;
    qint64 lengthMs_ = 0;
};

SoundOutput*& installed() {
    static SoundOutput* output = nullptr;
    return output;
}

SoundOutput& output() {
    if (installed()) return *installed();
    // Lives as long as the process: sound effects must not be destroyed after the
    // application object.
    static auto* own = new QtSoundOutput;
    return *own;
}

} // namespace

void SetSoundOutput(SoundOutput* o) {
    installed() = o;
}

bool PlaySoundA(const QString& name, uint32_t flags) {
    const QString path = QStringLiteral(":/sounds/") + name + QStringLiteral(".wav");
    // There is no default sound to fall back on: an unknown name always plays nothing.
    if (name.isEmpty() || !QFile::exists(path)) return false;
    SoundOutput& out = output();
    if ((flags & SND_NOSTOP) && out.IsPlaying()) return false;
    out.Play(QUrl(QStringLiteral("qrc") + path));
    if (!(flags & SND_ASYNC)) out.WaitForEnd(SoundWaitLimitMs);
    return true;
}

} // namespace vb
