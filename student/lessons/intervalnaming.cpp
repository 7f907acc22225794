#include "intervalnaming.h"

namespace lessons {

QString ModifyInterval(int style, int quality, const QString& caption) {
    static const char* kPrefixes[4][5] = {
        {},
        {"+", "-", "\u00B0", "x", "P"},
        {"M", "m", "d", "A", "P"},
        {"maj ", "min ", "dim ", "aug ", "per "},
    };
    QString out = caption;
    if (style >= 1 && style <= 3 && quality >= 0 && quality <= 5) {
        const QString last = caption.right(1);
        out = quality == 0 ? last : QString::fromUtf8(kPrefixes[style][quality - 1]) + last;
    }
    if (quality == 7) out = QStringLiteral("Tri-Tone");
    return out;
}

QString GetDirectionWord(int direction, const QString& caption) {
    if (direction == 1) return caption + QStringLiteral(" above");
    if (direction == 2) return caption + QStringLiteral(" below");
    return caption;
}

QString intervalSizeText(int size) {
    if (size == 1) return QStringLiteral("U");
    if (size >= 2 && size <= 8) return QString::number(size);
    return QStringLiteral(" ");
}

} // namespace lessons
