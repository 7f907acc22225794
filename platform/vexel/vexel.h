#pragma once
// The text transform that every stored file of both programs goes through: an authenticated
// cipher keyed by a fixed key text, so a stored text that was cut short, altered or written
// by someone else never decodes (and so is never half-parsed).
#include <QByteArrayView>
#include <QString>

namespace platform {

class Vexel {
public:
    // One line of base64 text (no quote, no CR/LF); the empty text stays empty.
    static QString EncodeText(const QString& plain, const QString& key);
    // "" decodes to "" with *ok = true; cut, altered or foreign text gives "" and *ok = false.
    static QString DecodeText(const QString& stored, const QString& key, bool* ok = nullptr);
    // The same for stored text as the bytes that arrived (a long text need not be converted first).
    static QString DecodeStored(QByteArrayView stored, const QString& key, bool* ok = nullptr);
    // 0-based position; the characters from position up to (not including) the delimiter; "" at/after the end.
    // With no delimiter after the position (or an empty delimiter) the rest of the text is the token.
    static QString NextToken(qint32 position, const QString& text, const QString& delimiter);
};

inline const QString kStoredTextKey = QStringLiteral("AHintOfColour");

} // namespace platform
