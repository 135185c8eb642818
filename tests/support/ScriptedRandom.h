#pragma once
// A RandomSource that plays back a fixed list of numbers and counts how many
// were drawn and how often it was asked to reseed. By default the list
// cycles; a strict source fails the test when drawn past its end instead.
#include "platform/Random.h"

#include <cstddef>
#include <vector>

namespace slidora::test {

class ScriptedRandom final : public RandomSource {
  public:
    enum class PastEnd { Cycle, Fail };

    explicit ScriptedRandom(std::vector<double> values, PastEnd pastEnd = PastEnd::Cycle);
    double next() override;
    void reseedFromClock() override { ++m_reseeds; }

    std::size_t draws() const { return m_draws; }
    int reseeds() const { return m_reseeds; }

  private:
    std::vector<double> m_values;
    PastEnd m_pastEnd;
    std::size_t m_draws = 0;
    int m_reseeds = 0;
};

} // namespace slidora::test
