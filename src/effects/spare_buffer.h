// A zeroed twin of a history buffer.  Clearing or re-creating a long line under the engine lock
// would hold the audio thread up for the whole memset (or an allocation); instead the twin is
// zeroed beforehand, away from the lock, and swapped in under it in constant time.  The buffer
// it replaces becomes the twin, to be zeroed the next time.
#pragma once
#include <algorithm>
#include <cstddef>
#include <vector>

namespace vemo {

template <typename T>
class SpareBuffer {
public:
    // Off the lock: a zeroed twin of n elements, allocating only when n changed.
    void prepare(size_t n) {
        if (spare_.size() != n)
            spare_.assign(n, T{});
        else
            std::fill(spare_.begin(), spare_.end(), T{});
        ready_ = true;
    }
    // Under the lock: `live` becomes n zeroed elements -- the prepared twin when there is one of
    // that size, else `live` zeroed where it is (allocating only when its size changes).
    void swap_in(std::vector<T>& live, size_t n) {
        if (ready_ && spare_.size() == n) {
            live.swap(spare_);
            ready_ = false;
            return;
        }
        live.assign(n, T{});
    }
    // Gives the twin's memory back.
    void release() {
        std::vector<T>().swap(spare_);
        ready_ = false;
    }

private:
    std::vector<T> spare_;
    bool ready_ = false;
};

}  // namespace vemo
