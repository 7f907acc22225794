#pragma once
// The exercise element pool: the two routines that unload what a lesson loaded, and the one
// table of which arrays each lesson hands them. Each lesson's builder and the lesson switch
// (when it leaves the lesson) unload through UnloadLesson, so both always pass the same set.
#include "loadedflags.h"
#include "notationarrays.h"

#include <functional>
#include <vector>

namespace lessons {

// One argument of the unloaders: a control array of any kind, or left out.
class ArrayArg {
public:
    ArrayArg() = default;   // left out
    template <class T>
    ArrayArg(common::ControlArray<T>& a)   // NOLINT: an array stands for itself
        : ubound_([&a] { return a.ubound(); }), unload_([&a](int i) { return a.unload(i); }) {}
    bool given() const { return bool(ubound_); }
    int ubound() const { return ubound_ ? ubound_() : 0; }
    bool unload(int i) const { return unload_ ? unload_(i) : false; }

private:
    std::function<int()> ubound_;
    std::function<bool(int)> unload_;
};

// Positions 1..tracked are the columns of the table of loaded elements: the flagged elements
// of a given array are unloaded (the first upward, the others from the top down; elements
// that do not exist are skipped) and the column is cleared whether or not its array was
// given. The later positions are unloaded whole above element 0, from the top down.
void UnloadControlArrays(int tracked, LoadedFlags& flags, const std::vector<ArrayArg>& args);
inline void UnloadControlArrays7(LoadedFlags& flags, const std::vector<ArrayArg>& args) {
    UnloadControlArrays(7, flags, args);
}
inline void UnloadControlArrays5(LoadedFlags& flags, const std::vector<ArrayArg>& args) {
    UnloadControlArrays(5, flags, args);
}

// The unloader call of each lesson 1..7 (nothing for the lesson list or any other number).
// Position 4 carries ChordRoman in every lesson, so Roman numerals the editor placed are
// unloaded with the rest.
struct UnloaderCall {
    int tracked = 0;             // 5 or 7; 0: nothing to unload
    std::vector<ArrayArg> args;  // positions 1..
};
UnloaderCall unloaderCall(int lesson, NotationArrays& a);
void UnloadLesson(int lesson, NotationArrays& a, LoadedFlags& flags);

} // namespace lessons
