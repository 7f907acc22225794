#include "music/font/musicfont.h"

#include <QFile>
#include <QRawFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>
#include <cmath>

// The resource is compiled into the library; registering it by hand keeps it available
// even if the library is ever linked statically.
static void initQuillonResource() {
    Q_INIT_RESOURCE(quillon);
}

namespace music {

namespace {
const QString kFamily = QStringLiteral("Quillon");
const QString kResource = QStringLiteral(":/music/fonts/Quillon.ttf");
}

bool ensureMusicFont() {
    static int fontId = -1;
    if (fontId >= 0) return true;
    // The font database exists only once the application does; a later call tries again.
    if (!QGuiApplication::instance()) return false;
    initQuillonResource();
    QFile file(kResource);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const int id = QFontDatabase::addApplicationFontFromData(file.readAll());
    if (id < 0) return false;
    if (!QFontDatabase::applicationFontFamilies(id).contains(kFamily)) {
        QFontDatabase::removeApplicationFont(id);
        return false;
    }
    fontId = id;
    return true;
}

QFont musicFont(int points) {
    QFont font(kFamily);
    font.setFamilies({kFamily});
    font.setPixelSize(qMax(1, pointsToPixels(points)));
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    font.setKerning(false);
    // No hinting: the outlines and advances stay as designed (whole pixels at 37 px), so
    // glyphs land where the drawing rules put them. No merging: a code the font lacks never
    // borrows a letter from another family.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

int pointsToPixels(double points) {
    return static_cast<int>(std::lround(points * 96.0 / 72.0));
}

QString figuredDigits(const QFont& font, const QString& number) {
    QString out;
    // The face itself, not the fallbacks a text font would borrow the codes from.
    const QRawFont face = QRawFont::fromFont(font);
    for (const QChar c : number) {
        if (c < u'0' || c > u'9') return number;
        const QChar figured(char16_t(kFiguredDigitZero + (c.unicode() - u'0')));
        if (!face.supportsCharacter(figured)) return number;
        out += figured;
    }
    return out;
}

} // namespace music
