#include "elementpool.h"

namespace lessons {

void UnloadControlArrays(int tracked, LoadedFlags& flags, const std::vector<ArrayArg>& args) {
    for (int c = 1; c <= tracked; ++c) {
        const ArrayArg* a = c <= int(args.size()) ? &args[size_t(c - 1)] : nullptr;
        if (a && a->given()) {
            const int ub = qMin(a->ubound(), LoadedFlags::kElements - 1);
            if (ub > 0) {
                // Position 1 is walked upward, the others downward; an element whose flag is
                // set but which is gone (erased, or never loaded) is skipped.
                if (c == 1) {
                    for (int i = 1; i <= ub; ++i)
                        if (flags.get(c, i)) a->unload(i);
                } else {
                    for (int i = ub; i >= 1; --i)
                        if (flags.get(c, i)) a->unload(i);
                }
            }
        }
        for (int i = 1; i < LoadedFlags::kElements; ++i) flags.set(c, i, false);
    }
    for (size_t k = size_t(tracked); k < args.size() && k < 15; ++k) {
        const ArrayArg& a = args[k];
        if (!a.given()) continue;
        for (int i = a.ubound(); i >= 1; --i) a.unload(i);
    }
}

UnloaderCall unloaderCall(int lesson, NotationArrays& a) {
    switch (lesson) {
    case 1:
    case 3:
        return {5, {a.lblLetter, {}, {}, a.ChordRoman, {}, a.lblAs, a.LineBase, a.cmdSpeaker}};
    case 5:
    case 6:
        return {5, {a.lblLetter, {}, {}, a.ChordRoman, {}, a.tmMeter, a.lblAs, a.StaffLines, a.LineBase, a.cmdSpeaker}};
    case 2:
    case 4:
    case 7:
        return {7,
                {a.KeySign, a.NoteSymbol, a.ClefSymbol, a.ChordRoman, a.tmMeter, a.BeamFlag, a.PhraseMark, a.lblAs,
                 a.StaffLines, a.Bar, a.LineBase, a.cmdSpeaker, a.ChordSymbol}};
    default:
        return {};
    }
}

void UnloadLesson(int lesson, NotationArrays& a, LoadedFlags& flags) {
    const UnloaderCall call = unloaderCall(lesson, a);
    if (call.tracked > 0) UnloadControlArrays(call.tracked, flags, call.args);
}

} // namespace lessons
