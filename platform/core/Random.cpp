#include "platform/Random.h"

#include <chrono>

namespace slidora {

ClockSeededRandom::ClockSeededRandom() {
    reseedFromClock();
}

double ClockSeededRandom::next() {
    // 53 random bits: exactly representable, strictly below 1.
    return static_cast<double>(m_engine() >> 11) * (1.0 / 9007199254740992.0);
}

void ClockSeededRandom::reseedFromClock() {
    m_engine.seed(static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

} // namespace slidora
