// Sound effects, synthesised: pops for bubbles, boops and clicks for buttons,
// bell chimes for messages and new pictures, falling tones for cancel.
#include "common.h"

#include <cmath>

using namespace gen;

namespace {

using Buffer = std::vector<double>;

constexpr double kTwoPi = 2 * M_PI;

Buffer silence(double seconds)
{
    return Buffer(size_t(std::lround(seconds * kSampleRate)), 0.0);
}

// Adds src into dst starting at the given time, growing dst as needed.
void mixIn(Buffer &dst, const Buffer &src, double at, double gain = 1.0)
{
    const size_t start = size_t(std::lround(at * kSampleRate));
    if (dst.size() < start + src.size())
        dst.resize(start + src.size(), 0.0);
    for (size_t i = 0; i < src.size(); ++i)
        dst[start + i] += src[i] * gain;
}

enum class Wave { Sine, Triangle, Soft };

double waveAt(Wave w, double phase)
{
    const double s = std::sin(phase);
    switch (w) {
    case Wave::Sine:
        return s;
    case Wave::Triangle:
        return (2 / M_PI) * std::asin(s);
    case Wave::Soft:   // a rounded square: warmer than a sine, never harsh
        return std::tanh(2.5 * s) / std::tanh(2.5);
    }
    return s;
}

// A tone gliding exponentially from f0 to f1, with a quick attack and an
// exponential decay whose time constant is tau seconds.
Buffer glide(double f0, double f1, double seconds, Wave wave, double tau)
{
    Buffer b = silence(seconds);
    double phase = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kSampleRate;
        const double f = f0 * std::pow(f1 / f0, t / seconds);
        phase += kTwoPi * f / kSampleRate;
        const double attack = std::min(1.0, t / 0.004);
        b[i] = waveAt(wave, phase) * attack * std::exp(-t / tau);
    }
    return b;
}

// A struck bell: a few inharmonic partials, the higher ones dying faster.
Buffer bell(double f, double seconds, double tau)
{
    Buffer b = silence(seconds);
    const double ratio[] = {1.0, 2.0, 2.76, 4.07};
    const double amp[] = {1.0, 0.35, 0.22, 0.1};
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kSampleRate;
        double v = 0;
        for (int k = 0; k < 4; ++k)
            v += amp[k] * std::sin(kTwoPi * f * ratio[k] * t) * std::exp(-t * (1 + k) / tau);
        b[i] = v * std::min(1.0, t / 0.002);
    }
    return b;
}

// Short burst of filtered noise: the "p" of a pop.
Buffer puff(double seconds, uint64_t seed)
{
    Buffer b = silence(seconds);
    Rng rng(seed);
    double low = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kSampleRate;
        low += 0.35 * ((rng.uniform() * 2 - 1) - low);
        b[i] = low * std::exp(-t / 0.006);
    }
    return b;
}

// Scales to the given peak and fades both ends so nothing clicks.
Buffer finish(Buffer b, double peak = 0.7)
{
    double max = 0;
    for (double v : b)
        max = std::max(max, std::abs(v));
    if (max > 0)
        for (double &v : b)
            v *= peak / max;
    const size_t fadeIn = size_t(0.003 * kSampleRate);
    const size_t fadeOut = std::min(b.size() / 3, size_t(0.02 * kSampleRate));
    for (size_t i = 0; i < fadeIn && i < b.size(); ++i)
        b[i] *= double(i) / fadeIn;
    for (size_t i = 0; i < fadeOut; ++i)
        b[b.size() - 1 - i] *= double(i) / fadeOut;
    return b;
}

double note(int semitonesFromA4) { return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0); }

Buffer pop(double f0, double f1, double seconds, uint64_t seed)
{
    Buffer b = glide(f0, f1, seconds, Wave::Sine, seconds / 3);
    mixIn(b, puff(0.02, seed), 0, 0.5);
    return finish(b, 0.65);
}

Buffer arpeggio(const std::vector<int> &notes, double step, double ring, double tau)
{
    Buffer b;
    for (size_t i = 0; i < notes.size(); ++i)
        mixIn(b, bell(note(notes[i]), ring, tau), step * double(i), 1.0);
    return finish(b, 0.6);
}

Buffer tones(const std::vector<int> &notes, double step, double length, Wave wave, double tau)
{
    Buffer b;
    for (size_t i = 0; i < notes.size(); ++i) {
        const double f = note(notes[i]);
        mixIn(b, glide(f, f, length, wave, tau), step * double(i));
    }
    return finish(b, 0.6);
}

void save(const Out &out, const char *name, const Buffer &b)
{
    saveWav(b, out.path(QStringLiteral("assets/sounds/%1.wav").arg(QLatin1String(name))));
}

} // namespace

void makeSounds(const Out &out)
{
    // bubbles leaving the top: little pops of different sizes
    save(out, "POP0", pop(1100, 260, 0.09, 1));
    save(out, "POP1", pop(850, 220, 0.11, 2));
    save(out, "POP2", pop(1400, 380, 0.08, 3));
    save(out, "POP3", pop(700, 180, 0.13, 4));

    // buttons: boops, blips and wooden clicks
    save(out, "B0", finish(glide(420, 620, 0.14, Wave::Triangle, 0.07)));
    save(out, "B1", finish(glide(660, 660, 0.09, Wave::Soft, 0.035), 0.5));
    save(out, "B2", tones({3, 10}, 0.07, 0.08, Wave::Triangle, 0.04));
    save(out, "B3", finish(bell(1250, 0.12, 0.03)));
    save(out, "B4", finish(glide(700, 440, 0.15, Wave::Triangle, 0.07)));
    save(out, "B5", finish(bell(note(15), 0.3, 0.09)));

    // message window: bright chimes
    save(out, "MESSAGE0", arpeggio({15, 19, 22}, 0.12, 0.55, 0.22));
    save(out, "MESSAGE1", arpeggio({19, 15}, 0.22, 0.55, 0.25));
    save(out, "MESSAGE2", arpeggio({10, 14, 17, 22}, 0.09, 0.5, 0.2));

    // a bubble clicked: rising bloops
    save(out, "PRESS0", finish(glide(300, 950, 0.16, Wave::Sine, 0.09)));
    save(out, "PRESS1", finish(glide(420, 1300, 0.13, Wave::Sine, 0.07)));

    // a new picture: sparkling runs
    save(out, "NEW0", arpeggio({3, 7, 10, 15, 19, 22}, 0.07, 0.45, 0.15));
    save(out, "NEW1", arpeggio({22, 19, 15, 17, 22, 27}, 0.06, 0.45, 0.14));

    // OK: a short rising two-note chime, about half a second
    save(out, "OK", arpeggio({10, 15}, 0.12, 0.38, 0.14));

    // cancel: falling tones
    save(out, "CANCEL0", tones({7, 3}, 0.13, 0.2, Wave::Triangle, 0.09));
    save(out, "CANCEL1", finish(glide(520, 230, 0.3, Wave::Soft, 0.14), 0.5));
    save(out, "CANCEL2", tones({10, 7, 3}, 0.1, 0.16, Wave::Triangle, 0.08));
    save(out, "CANCEL3", finish(glide(330, 200, 0.25, Wave::Triangle, 0.12)));
}
