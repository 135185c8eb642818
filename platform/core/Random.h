#pragma once
// The process's source of uniform random numbers in [0, 1). The saver seeds
// it from the clock; tests hand in a scripted sequence.
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace slidora {

class RandomSource {
  public:
    virtual ~RandomSource() = default;
    // A fresh uniform number r with 0 <= r < 1.
    virtual double next() = 0;
    // Restarts the sequence from the clock (no effect on scripted sources).
    virtual void reseedFromClock() {}
    // The integer part of r x n: a uniform integer below n (n > 0).
    int below(int n) { return static_cast<int>(next() * n); }
};

class ClockSeededRandom final : public RandomSource {
  public:
    ClockSeededRandom();
    double next() override;
    void reseedFromClock() override;

  private:
    std::mt19937_64 m_engine;
};

// The list shuffle shared by the picture and audio lists: for i from n-1 down
// to 0, j is drawn from the whole list while i < n div 2 and from the entries
// before i otherwise; entries i and j are exchanged. A one-entry list stays as
// it is; with two entries the last is always exchanged with the first.
template <class T> void listShuffle(std::vector<T>& list, RandomSource& random) {
    const int n = static_cast<int>(list.size());
    for (int i = n - 1; i >= 0; --i) {
        const double r = random.next();
        const int j = i < n / 2 ? static_cast<int>(r * n) : static_cast<int>(r * i);
        std::swap(list[static_cast<std::size_t>(i)], list[static_cast<std::size_t>(j)]);
    }
}

} // namespace slidora
