#include "Sound.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMediaDevices>
#include <QTimer>
#include <QtEndian>
#include <map>
#include <memory>

namespace vb {

namespace {

// A WAVE file's PCM samples and their format; empty when the file cannot be played.
struct Wave {
    QAudioFormat format;
    QByteArray samples;
    qint64 lengthUs() const { return format.durationForBytes(int(samples.size())); }
};

Wave ReadWave(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") return {};
    Wave wave;
    const auto u16 = [&](qsizetype at) {
        return qFromLittleEndian<quint16>(bytes.constData() + at);
    };
    const auto u32 = [&](qsizetype at) {
        return qFromLittleEndian<quint32>(bytes.constData() + at);
    };
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(at, 4);
        const quint32 size = u32(at + 4);
        if (id == "fmt " && size >= 16 && at + 24 <= bytes.size() && u16(at + 8) == 1) {
            const quint16 bits = u16(at + 22);
            wave.format.setChannelCount(u16(at + 10));
            wave.format.setSampleRate(int(u32(at + 12)));
            wave.format.setSampleFormat(bits == 8    ? QAudioFormat::UInt8
                                        : bits == 16 ? QAudioFormat::Int16
                                                     : QAudioFormat::Unknown);
        }
        if (id == "data") {
            if (!wave.format.isValid()) return {};
            wave.samples = bytes.mid(at + 8, size);
            return wave;
        }
        at += 8 + qsizetype(size) + (size & 1);
    }
    return {};
}

// One channel over a Qt audio sink. The sink is left running when its samples run out,
// so the server plays out what it holds; stopping it there, as QSoundEffect does, cuts a
// short sound down to its first buffer of some 50 ms. Without an audio device nothing is
// started at all, and the sound's own length bounds how long it counts as playing.
class QtSoundOutput : public SoundOutput {
public:
    bool IsPlaying() override {
        return sink_ && sink_->state() != QAudio::StoppedState && !Ended();
    }

    void Play(const QUrl& sound) override {
        if (sink_) sink_->stop();
        sink_.reset();
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) return;
        auto& wave = waves_[sound];
        if (!wave) wave = std::make_unique<Wave>(ReadWave(QLatin1Char(':') + sound.path()));
        if (wave->samples.isEmpty()) return;
        buffer_.close();
        buffer_.setData(wave->samples);
        buffer_.open(QIODevice::ReadOnly);
        sink_ = std::make_unique<QAudioSink>(device, wave->format);
        lengthUs_ = wave->lengthUs();
        clock_.start();
        sink_->start(&buffer_);
    }

    void WaitForEnd(int timeoutMs) override {
        if (!IsPlaying()) return;
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        // The sink tells no moment at which the server has played the last sample; its
        // clock is read often enough to let go within a few milliseconds of it.
        QTimer poll;
        poll.setTimerType(Qt::PreciseTimer);
        QObject::connect(&poll, &QTimer::timeout, &loop, [this, &loop] {
            if (!IsPlaying()) loop.quit();
        });
        poll.start(PollMs);
        limit.start(timeoutMs);
        // The caller is blocked for the sound's length: no clicks or keys reach it meanwhile.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }

private:
    // The sound has ended when the server has played all of it: the sink's clock counts
    // what was played, not what was handed over. Should a device never report that, the
    // sound's length and the device's start-up delay bound the wait.
    bool Ended() {
        return sink_->processedUSecs() >= lengthUs_ - EndToleranceUs ||
               clock_.elapsed() * 1000 >= lengthUs_ + SlackMs * 1000;
    }

    static constexpr qint64 SlackMs = 250; // the device's start-up delay
    static constexpr int PollMs = 5;
    static constexpr qint64 EndToleranceUs = 40; // rounding: less than one sample
    std::map<QUrl, std::unique_ptr<Wave>> waves_;
    QBuffer buffer_;
    std::unique_ptr<QAudioSink> sink_;
    QElapsedTimer clock_;
    qint64 lengthUs_ = 0;
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
