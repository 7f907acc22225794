#pragma once
// The arithmetic and string rules of the language this system was first written in, kept in
// one place so every caller gets them the same way (stored files and scores depend on them).
#include <QString>
#include <cstdint>
#include <optional>

namespace basic {

// Int(x): the largest whole number not above x (floors negatives: Int(-2.5) = -3).
double Int(double x);
// Fix(x): drops the fraction (towards zero).
double Fix(double x);
// CInt / CLng rounding: half to even (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double x);
// Val(s): the leading number of s after spaces ("12abc" -> 12, "abc" -> 0, " -3.5x" -> -3.5,
// "&H1F" -> 31). Never fails.
double Val(const QString& s);
// The leading whole number of a text as Val gives it, truncated to an int.
int valInt(const QString& s);
// InStr(start, text, find): 1-based position of find at or after start, 0 when absent.
// An empty find returns start (when start <= len + 1).
int InStr(int start, const QString& text, const QString& find,
          Qt::CaseSensitivity cs = Qt::CaseSensitive);
inline int InStr(const QString& text, const QString& find,
                 Qt::CaseSensitivity cs = Qt::CaseSensitive) {
    return InStr(1, text, find, cs);
}
// Mid(s, start[, length]) 1-based; Left, Right.
QString Mid(const QString& s, int start, int length = -1);
QString Left(const QString& s, int n);
QString Right(const QString& s, int n);

// 16-bit Integer: the value when it fits, nothing when the original would overflow.
std::optional<int16_t> toInt16(double x);
bool fitsInt16(double x);
// CInt: round half even then check the 16-bit range.
std::optional<int16_t> CInt(double x);

// Str$-like decimal text without a leading space for positives ("5", "-3", "2.5").
QString numText(double x);

} // namespace basic
