#include "itemscorers.h"

#include "intervalnaming.h"

#include "common/basic.h"
#include "music/framework/dispatch.h"
#include "student/profile/playersession.h"

#include <QPalette>
#include <array>

namespace lessons {
namespace {

constexpr double kItemPoints = 12.5;

void mark(LessonContext& ctx, int item, bool right) {
    if (right) ctx.state.ExerciseScore += kItemPoints;
    setLabelBackColor(ctx.arrays.lblLetter[item], right ? kRightLabel : kWrongLabel);
}

// Each loaded answer label of items 1..8 with its caption.
template <class F>
void forEachAnswer(LessonContext& ctx, F f) {
    for (int i = 1; i <= ExerciseState::kItems; ++i) {
        if (!ctx.LoadedFlags.get(1, i)) continue;
        QLabel* label = ctx.arrays.lblLetter[i];
        if (!label) continue;
        f(i, label->text());
    }
}

} // namespace

void setLabelBackColor(QLabel* label, quint32 ole) {
    if (!label) return;
    QPalette p = label->palette();
    p.setColor(QPalette::Window, QColor(int(ole & 0xFF), int((ole >> 8) & 0xFF), int((ole >> 16) & 0xFF)));
    label->setPalette(p);
    label->setAutoFillBackground(true);
}

quint32 labelBackColor(const QLabel* label) {
    if (!label || !label->autoFillBackground()) return 0xFFFFFFFF;
    const QColor c = label->palette().color(QPalette::Window);
    return quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16;
}

bool ValidatePlayedInterval(int style, int semitones, const QString& text) {
    bool ok = true;
    const bool qualityTested = semitones != 6 && semitones <= 12;
    QString quality, number;
    switch (style) {
    case 1:
    case 2:
        quality = basic::Mid(text, 1, 1);
        number = basic::Mid(text, 2, 1);
        break;
    case 3:
        quality = basic::Mid(text, 1, 3);
        number = basic::Mid(text, 5, 1);
        break;
    default:
        break;
    }
    if (qualityTested && style >= 1 && style <= 3) {
        static const char* kPerfect[4] = {"", "P", "P", "per"};
        static const char* kMinor[4] = {"", "-", "m", "min"};
        static const char* kMajor[4] = {"", "+", "M", "maj"};
        const char* want = nullptr;
        switch (semitones) {
        case 0: case 5: case 7: case 12: want = kPerfect[style]; break;
        case 1: case 3: case 8: case 10: want = kMinor[style]; break;
        default: want = kMajor[style]; break;
        }
        if (quality != QLatin1String(want)) ok = false;
    }
    if (semitones == 6 && text.left(8) != QLatin1String("Tri-Tone")) ok = false;
    if (semitones >= 0 && semitones <= 12 && semitones != 6) {
        static const char* kNumbers[13] = {"U", "2", "2", "3", "3", "4", "", "5", "6", "6", "7", "7", "8"};
        if (number != QLatin1String(kNumbers[semitones])) ok = false;
    }
    return ok;
}

void ScoreIntervals(LessonContext& ctx) {
    const ItemTables& key = ctx.state.items;
    forEachAnswer(ctx, [&](int i, const QString& caption) {
        const QString word = caption.right(5);
        const bool above = key.ItemAbove(i);
        bool right = false;
        if ((word == QLatin1String("above") && above) || (word == QLatin1String("below") && !above))
            right = ValidatePlayedInterval(ctx.session.IntervalStyle, key.ItemInterval[size_t(i)], caption);
        mark(ctx, i, right);
    });
}

void ScoreChords(LessonContext& ctx) {
    static const std::array<QStringList, 9> kAnswers = [] {
        std::array<QStringList, 9> a = {{
            {},
            {"maj", "M", "+"},
            {"min", "m", "-"},
            {"dim", "d", "\u00B0"},
            {"aug", "A", "x"},
            {"dom7"},
            {"dim 7", "d", "\u00B0"},
            {"maj 7", "M", "+"},
            {"min 7", "m", "-"},
        }};
        // A seventh also as the interval palette writes it, "7th" with its quality, in every
        // naming style ("d7", "\u00B07"; "M7", "+7"; "m7", "-7"), as the triads' short forms are
        // taken whatever the style.
        const struct { int kind, quality; } sevenths[] = {{6, 3}, {7, 1}, {8, 2}};
        for (const auto& s : sevenths)
            for (int style = 1; style <= 3; ++style) {
                const QString written = ModifyInterval(style, s.quality, intervalSizeText(7));
                if (!a[size_t(s.kind)].contains(written)) a[size_t(s.kind)] << written;
            }
        return a;
    }();
    forEachAnswer(ctx, [&](int i, const QString& caption) {
        const int kind = ctx.state.items.ItemChordKind[size_t(i)];
        const bool right = kind >= 1 && kind <= 8 && kAnswers[size_t(kind)].contains(caption.trimmed());
        mark(ctx, i, right);
    });
}

void ScoreCadences(LessonContext& ctx) {
    forEachAnswer(ctx, [&](int i, const QString& caption) {
        const QString answer = caption.trimmed();
        const QString n = ctx.state.items.ItemCadenceName[size_t(i)];
        bool right = false;
        if (answer == QLatin1String("Perfect"))
            right = n.startsWith(QLatin1String("V-I ")) || n.startsWith(QLatin1String("V7-I "));
        else if (answer == QLatin1String("Perfect Open"))
            right = n == QLatin1String("V-I Open") || n == QLatin1String("V7-I Open");
        else if (answer == QLatin1String("Perfect Close"))
            right = n == QLatin1String("V-I Close") || n == QLatin1String("V7-I Close");
        else if (answer == QLatin1String("Plagal"))
            right = n == QLatin1String("IV-I");
        else if (answer == QLatin1String("Imperfect") || answer == QLatin1String("Half"))
            right = n == QLatin1String("IV-V") || n == QLatin1String("I-V");
        else if (answer == QLatin1String("Deceptive"))
            right = n == QLatin1String("V-VI") || n == QLatin1String("V7-VI");
        mark(ctx, i, right);
    });
}

void ScoreTimeSignatures(LessonContext& ctx) {
    ElementArray& m = ctx.arrays.tmMeter;
    for (int i = 1; i <= ExerciseState::kItems; ++i) {
        if (!ctx.LoadedFlags.get(1, i + 8)) continue;
        QWidget* answer = m[i + 8];
        QWidget* key = m[i];
        if (!answer || !key) continue;
        const bool right = getInt(answer, "Pulses") == getInt(key, "Pulses") &&
                           getInt(answer, "NoteValue") == getInt(key, "NoteValue");
        if (right) ctx.state.ExerciseScore += kItemPoints;
        put(answer, "ForeColor", right ? kRightSymbol : kWrongSymbol);
    }
}

void ScorePlayedRhythm(LessonContext& ctx) {
    // The tap still held is written now; nothing here waits on the drum window.
    ctx.playedInput->CommitPendingTap();
    ElementArray& notes = ctx.arrays.NoteSymbol;
    int n = 0;
    for (int k = 1; k <= notes.ubound(); ++k)
        if (notes.exists(k) && !music::dispGet(notes[k], QStringLiteral("Rest")).toBool()) n = k;
    double& score = ctx.state.ExerciseScore;
    // A rhythm without a sounding note cannot be marked: it scores 0.
    if (n > 0) {
        const double share = 100.0 / n;
        const PlayedInput& taps = *ctx.playedInput;
        for (int k = 1; k <= taps.TapCount && k < int(taps.TapTicks.size()); ++k) {
            if (k > n) {
                score -= share;
                continue;
            }
            QWidget* note = notes[k];
            if (!note) continue;
            QVariant ticks;
            music::dispCall(note, QStringLiteral("NoteValue"), {}, &ticks);
            const bool right = taps.TapTicks[size_t(k)] == ticks.toInt();
            if (right) score += share;
            put(note, "ForeColor", right ? kRightSymbol : kWrongSymbol);
        }
    }
    if (score > 0) score += 0.5;
    else score = 0;
}

} // namespace lessons
