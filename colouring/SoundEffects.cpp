#include "SoundEffects.h"

#include "Sound.h"

using namespace vb;

namespace {

// A resource sound that cuts off whatever still plays; the pop leaves a playing sound be.
constexpr uint32_t Cutting = SND_RESOURCE | SND_ASYNC | SND_NODEFAULT;
constexpr uint32_t Polite = Cutting | SND_NOSTOP;

// "B" and a number 0 to 5, say: the whole part of r x count, as one digit.
QString numbered(const char* family, int count, float r) {
    return QLatin1String(family) + QString::number(int(double(r) * count));
}

} // namespace

SoundEffect ChooseSoundEffect(int32_t Kind, const std::function<float()>& next) {
    switch (Kind) {
    case 0:
        return {numbered("POP", 4, next()), Polite};
    case 1:
        if (int(double(next()) * 2) == 0) return {numbered("B", 6, next()), Cutting};
        return {numbered("MESSAGE", 3, next()), Cutting};
    case 4:
        if (int(double(next()) * 2) == 0) return {numbered("PRESS", 2, next()), Cutting};
        return {numbered("B", 6, next()), Cutting};
    case 5:
        return {numbered("NEW", 2, next()), Cutting};
    default:
        return {};
    }
}
