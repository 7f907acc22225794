#pragma once
// Which run-time notation elements a lesson loaded: column (element kind 0..7) by element
// index 0..200. The main window creates it all False; the lessons mark and clear it.
#include <array>

namespace lessons {

class LoadedFlags {
public:
    static constexpr int kColumns = 8;
    static constexpr int kElements = 201;
    // Outside the table reads False and writes nothing.
    bool get(int column, int element) const {
        return inRange(column, element) && flags_[column][element];
    }
    void set(int column, int element, bool value) {
        if (inRange(column, element)) flags_[column][element] = value;
    }
    void clear() { flags_ = {}; }
    bool any() const {
        for (const auto& col : flags_)
            for (bool f : col)
                if (f) return true;
        return false;
    }
    static bool inRange(int column, int element) {
        return column >= 0 && column < kColumns && element >= 0 && element < kElements;
    }

private:
    std::array<std::array<bool, kElements>, kColumns> flags_{};
};

} // namespace lessons
