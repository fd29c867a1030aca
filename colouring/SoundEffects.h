#pragma once
// Which of the program's WAVE sounds a sound-effect kind plays, and how.

#include <QString>
#include <cstdint>
#include <functional>

struct SoundEffect {
    QString name;       // empty: the kind has no sound
    uint32_t flags = 0; // for PlaySoundA
};

// The sound of `Kind`, picked at random with draws in [0, 1) from `next`: the first draw
// chooses the family where a kind has two, the next one the number.
SoundEffect ChooseSoundEffect(int32_t Kind, const std::function<float()>& next);
