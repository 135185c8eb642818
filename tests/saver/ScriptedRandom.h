#pragma once
// A RandomSource that plays back a fixed list of numbers (cycling) and counts
// how many were drawn.
#include "platform/Random.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace slidora::test {

class ScriptedRandom final : public RandomSource {
  public:
    explicit ScriptedRandom(std::vector<double> values) : m_values(std::move(values)) {}
    double next() override {
        const double r = m_values[m_draws % m_values.size()];
        ++m_draws;
        return r;
    }
    std::size_t draws() const { return m_draws; }

  private:
    std::vector<double> m_values;
    std::size_t m_draws = 0;
};

} // namespace slidora::test
