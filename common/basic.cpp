#include "basic.h"

#include <cmath>
#include <limits>

namespace basic {

double Int(double x) { return std::floor(x); }
double Fix(double x) { return std::trunc(x); }

double roundHalfEven(double x) {
    double r = std::nearbyint(x); // FE_TONEAREST is ties-to-even
    if (std::fabs(x - std::trunc(x)) == 0.5) {
        double lo = std::floor(x);
        r = (std::fmod(lo, 2.0) == 0.0) ? lo : lo + 1.0;
    }
    return r;
}

double Val(const QString& s) {
    int i = 0;
    const int n = s.size();
    auto skipSpace = [&] {
        while (i < n && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
    };
    skipSpace();
    if (i + 1 < n && s[i] == '&' && (s[i + 1] == 'H' || s[i + 1] == 'h')) {
        i += 2;
        qint64 v = 0;
        bool any = false;
        while (i < n) {
            const int d = QString("0123456789ABCDEF").indexOf(s[i].toUpper());
            if (d < 0) break;
            v = v * 16 + d;
            any = true;
            ++i;
            if (v > 0xFFFFFFFFLL) break;
        }
        return any ? double(v) : 0.0;
    }
    QString digits;
    if (i < n && (s[i] == '-' || s[i] == '+')) digits += s[i++];
    bool seenDigit = false, seenDot = false;
    while (i < n) {
        const QChar c = s[i];
        if (c.isDigit() && c.unicode() < 128) { digits += c; seenDigit = true; }
        else if (c == '.' && !seenDot) { digits += c; seenDot = true; }
        else if (c == ' ' || c == '\t') { /* Val ignores embedded blanks */ }
        else break;
        ++i;
    }
    if (seenDigit && i < n && (s[i] == 'e' || s[i] == 'E')) {
        QString exp = "e";
        int j = i + 1;
        if (j < n && (s[j] == '-' || s[j] == '+')) exp += s[j++];
        bool expDigit = false;
        while (j < n && s[j].isDigit() && s[j].unicode() < 128) { exp += s[j++]; expDigit = true; }
        if (expDigit) digits += exp;
    }
    if (!seenDigit) return 0.0;
    bool ok = false;
    const double v = digits.toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

int valInt(const QString& s) {
    const double v = Fix(Val(s));
    if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return int(v);
}

int InStr(int start, const QString& text, const QString& find, Qt::CaseSensitivity cs) {
    if (start < 1) start = 1;
    if (start > text.size() + 1) return 0;
    if (find.isEmpty()) return start;
    const int at = text.indexOf(find, start - 1, cs);
    return at < 0 ? 0 : at + 1;
}

QString Mid(const QString& s, int start, int length) {
    if (start < 1) start = 1;
    if (start > s.size()) return QString();
    return length < 0 ? s.mid(start - 1) : s.mid(start - 1, length);
}
QString Left(const QString& s, int n) { return n <= 0 ? QString() : s.left(n); }
QString Right(const QString& s, int n) { return n <= 0 ? QString() : s.right(n); }

bool fitsInt16(double x) { return std::isfinite(x) && x >= -32768.0 && x <= 32767.0; }

std::optional<int16_t> toInt16(double x) {
    if (!fitsInt16(x)) return std::nullopt;
    return int16_t(x);
}

std::optional<int16_t> CInt(double x) {
    if (!std::isfinite(x)) return std::nullopt;
    return toInt16(roundHalfEven(x));
}

QString numText(double x) {
    if (x == std::trunc(x) && std::fabs(x) < 1e15) return QString::number(qint64(x));
    return QString::number(x, 'g', 15);
}

} // namespace basic
