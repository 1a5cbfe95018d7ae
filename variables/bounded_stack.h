#pragma once

#include <array>

// A fixed stack of the formula evaluator. A push onto a full stack overwrites the top entry and a
// pop from an empty stack yields `empty_value`, so a malformed formula can never step outside it.
// Thread: owned by one evaluation.
template <class T, int Capacity>
class BoundedStack {
  public:
    static constexpr int kCapacity = Capacity;

    explicit BoundedStack(T empty_value = T()) : empty_value_(empty_value) {}

    void push(T v) {
        if (count_ < Capacity) ++count_;
        entries_[count_ - 1] = v;
    }
    T pop() { return count_ > 0 ? entries_[--count_] : empty_value_; }
    T top() const { return count_ > 0 ? entries_[count_ - 1] : empty_value_; }
    int size() const { return count_; }
    // Cuts the stack back to a size remembered earlier (never grows it).
    void truncate(int size) {
        if (size >= 0 && size < count_) count_ = size;
    }
    void clear() { count_ = 0; }

  private:
    std::array<T, Capacity> entries_{};
    int count_ = 0;
    T empty_value_;
};
