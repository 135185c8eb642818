#include "tests/support/ScriptedRandom.h"

#include <gtest/gtest.h>

#include <utility>

namespace slidora::test {

ScriptedRandom::ScriptedRandom(std::vector<double> values, PastEnd pastEnd)
    : m_values(std::move(values)), m_pastEnd(pastEnd) {}

double ScriptedRandom::next() {
    if (m_values.empty() || (m_pastEnd == PastEnd::Fail && m_draws >= m_values.size())) {
        ADD_FAILURE() << "drew more than the " << m_values.size() << " scripted numbers";
        return 0.0;
    }
    const double r = m_values[m_draws % m_values.size()];
    ++m_draws;
    return r;
}

} // namespace slidora::test
