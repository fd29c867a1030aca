#pragma once
// Playing the program's WAVE resources (":/sounds/NAME.wav") on one channel: a new sound
// cuts off the one still playing unless SND_NOSTOP asks to leave it. Without an audio
// output everything is silent and nothing waits.

#include <QString>
#include <QUrl>
#include <cstdint>

namespace vb {

constexpr uint32_t SND_SYNC = 0x0000;
constexpr uint32_t SND_ASYNC = 0x0001;
constexpr uint32_t SND_NODEFAULT = 0x0002;
constexpr uint32_t SND_NOSTOP = 0x0010;
constexpr uint32_t SND_RESOURCE = 0x00040004;

// Longest a synchronous play keeps the caller waiting, whatever the output reports.
constexpr int SoundWaitLimitMs = 10000;

// Where sounds go. The program uses Qt Multimedia; tests install a recorder.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    virtual bool IsPlaying() = 0;
    // Starts the sound, cutting off any sound that still plays.
    virtual void Play(const QUrl& sound) = 0;
    // Returns when the sound started last has ended, or after timeoutMs at the latest.
    virtual void WaitForEnd(int timeoutMs) = 0;
};

// Installs an output (not owned); nullptr returns to the program's own.
void SetSoundOutput(SoundOutput* output);

// Plays the resource sound `name`. SND_ASYNC returns at once, otherwise the call returns
// when the sound has ended. SND_NOSTOP plays nothing while another sound plays. A name
// that is not a resource plays nothing. True when the sound was started.
bool PlaySoundA(const QString& name, uint32_t flags);

} // namespace vb
