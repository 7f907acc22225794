#include "platform/vexel/vexel.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using platform::Vexel;
using platform::kStoredTextKey;

namespace {
const QString kCrLf = QStringLiteral("\r\n");

bool decodes(const QString& stored, QString* plain = nullptr) {
    bool ok = true;
    const QString p = Vexel::DecodeText(stored, kStoredTextKey, &ok);
    if (plain) *plain = p;
    if (!ok) {
        EXPECT_TRUE(p.isEmpty());
    }
    // The bytes as they arrive decode exactly as the text does.
    bool ascii = true;
    for (const QChar c : stored) ascii = ascii && c.unicode() <= 0x7f;
    if (ascii) {
        bool bytesOk = !ok;
        EXPECT_EQ(Vexel::DecodeStored(stored.toLatin1(), kStoredTextKey, &bytesOk), p);
        EXPECT_EQ(bytesOk, ok);
    }
    return ok;
}
} // namespace

TEST(Vexel, RoundTripIsExactAndStoredTextIsOneCleanLine) {
    const QString plains[] = {
        "x",
        "begin" + kCrLf + "name=Ann" + kCrLf + "password=Sé cret \"quoted\"" + kCrLf + "end" + kCrLf,
        QString::fromUtf8("Zoë ♫ 音楽 \t trailing  "),
        QString(70000, QChar('a')) + kCrLf,
        QString("=,\"\r\n\n\r"),
    };
    const QRegularExpression base64("^[A-Za-z0-9+/]+={0,2}$");
    for (const QString& plain : plains) {
        const QString stored = Vexel::EncodeText(plain, kStoredTextKey);
        EXPECT_TRUE(base64.match(stored).hasMatch()) << stored.left(40).toStdString();
        EXPECT_EQ(stored.size() % 4, 0);
        QString back;
        ASSERT_TRUE(decodes(stored, &back));
        EXPECT_EQ(back, plain);
    }
}

TEST(Vexel, EmptyTextStaysEmpty) {
    EXPECT_EQ(Vexel::EncodeText(QString(), kStoredTextKey), QString());
    QString back = "junk";
    EXPECT_TRUE(decodes(QString(), &back));
    EXPECT_TRUE(back.isEmpty());
}

TEST(Vexel, EachEncodingIsFreshButDecodesTheSame) {
    const QString a = Vexel::EncodeText("name=Bob", kStoredTextKey);
    const QString b = Vexel::EncodeText("name=Bob", kStoredTextKey);
    EXPECT_NE(a, b);
    QString pa, pb;
    ASSERT_TRUE(decodes(a, &pa));
    ASSERT_TRUE(decodes(b, &pb));
    EXPECT_EQ(pa, pb);
}

TEST(Vexel, CutAlteredOrForeignTextNeverDecodes) {
    const QString plain = "begin\r\nname=Ann\r\npassword=pw\r\nupper=89\r\nlower=79\r\nend\r\n";
    const QString stored = Vexel::EncodeText(plain, kStoredTextKey);
    // Every cut, from the first character to the last but one.
    for (int n = 1; n < stored.size(); ++n) EXPECT_FALSE(decodes(stored.left(n))) << n;
    // Every single-character change, the padding bits of the last group included.
    for (int i = 0; i < stored.size(); ++i) {
        QString altered = stored;
        altered[i] = altered[i] == QChar('A') ? QChar('B') : QChar('A');
        EXPECT_FALSE(decodes(altered)) << i;
    }

    const QString foreign[] = {
        plain,                                              // plain text, never transformed
        "abc",                                              // too short
        "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA",  // well-formed base64, no box
        stored + "AAAA",                                    // extra data
        stored + "\r\n",                                    // trailing line break
        " " + stored,                                       // leading blank
        QString::fromUtf8("é") + stored.mid(1),             // not ASCII
        Vexel::EncodeText(plain, "AnotherKey"),             // another key
    };
    for (const QString& f : foreign) EXPECT_FALSE(decodes(f)) << f.left(30).toStdString();
}

TEST(Vexel, NextTokenCutsUpToTheDelimiter) {
    struct Case { qint32 position; QString text; QString delimiter; QString token; };
    const Case cases[] = {
        {0, "ab\r\ncd\r\n", "\r\n", "ab"},
        {4, "ab\r\ncd\r\n", "\r\n", "cd"},
        {2, "ab\r\ncd\r\n", "\r\n", ""},        // position on the delimiter: empty line
        {8, "ab\r\ncd\r\n", "\r\n", ""},        // at the end
        {20, "ab\r\ncd\r\n", "\r\n", ""},       // past the end
        {-1, "ab\r\ncd\r\n", "\r\n", ""},       // before the start
        {4, "ab\r\ncd", "\r\n", "cd"},          // no delimiter follows: the rest
        {1, "a,b,c", ",", ""},
        {2, "a,b,c", ",", "b"},
        {0, "abc", "", "abc"},
        {0, "", "\r\n", ""},
    };
    for (const Case& c : cases) {
        const QString text = c.text;
        EXPECT_EQ(Vexel::NextToken(c.position, text, c.delimiter), c.token)
            << c.position << " " << c.text.toStdString();
        EXPECT_EQ(text, c.text);
    }
}
