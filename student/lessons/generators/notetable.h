#pragma once
// The note table the generators write and playback and the scorers read: for note i
// (rows 1..n) column 1 holds the pitch (semitones above the tonic, or kUnpitched for a rhythm
// note) and column 2 the duration in milliseconds. Column 0 and row 0 belong to the callers.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lessons {

class NoteTable {
public:
    static constexpr int kPitch = 1;
    static constexpr int kDuration = 2;
    static constexpr int16_t kUnpitched = -20;

    NoteTable() = default;
    explicit NoteTable(int upper) { redim(upper); }

    // Rows 0..upper, every cell 0.
    void redim(int upper) { rows_.assign(size_t(upper < 0 ? 0 : upper) + 1, Row{}); }
    // Grows to rows 0..upper keeping what is there.
    void ensure(int upper) {
        if (upper >= 0 && size_t(upper) >= rows_.size()) rows_.resize(size_t(upper) + 1, Row{});
    }
    int upper() const { return int(rows_.size()) - 1; }

    // Outside the table reads 0 and writes nothing.
    int16_t get(int column, int row) const {
        return inRange(column, row) ? rows_[size_t(row)][size_t(column)] : 0;
    }
    void set(int column, int row, int16_t value) {
        if (inRange(column, row)) rows_[size_t(row)][size_t(column)] = value;
    }
    int pitch(int row) const { return get(kPitch, row); }
    int duration(int row) const { return get(kDuration, row); }

    bool operator==(const NoteTable& o) const { return rows_ == o.rows_; }

private:
    using Row = std::array<int16_t, 3>;
    bool inRange(int column, int row) const {
        return column >= 0 && column < 3 && row >= 0 && size_t(row) < rows_.size();
    }
    std::vector<Row> rows_ = std::vector<Row>(1);
};

} // namespace lessons
