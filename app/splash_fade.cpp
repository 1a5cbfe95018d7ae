#include "app/splash_fade.h"

namespace splash_fade {

std::optional<double> opacity_at(int counter) {
    if (counter < kFirstFadeTick || counter > kLastTick) return std::nullopt;
    return (kLastTick - counter) / 10.0;
}

}  // namespace splash_fade
