#include "beammusic.h"
#include "music/framework/classregistry.h"
#include "music/framework/textmetrics.h"

#include <QPainter>

namespace music {

MUSIC_REGISTER_CLASS(BeamMusic, "Music.Beam", "Beam Class", "{9D2C0164-236D-4796-8161-04478A024140}", 119)

int beamSlopeDivisor(int beamAngle, int previous) {
    switch (beamAngle) {
    case Pos30: return 4;
    case Pos15: return 8;
    case Deg0: return 0;
    case Neg15: return -8;
    case Neg30: return -4;
    default: return previous;
    }
}

QVector<BeamLine> beamLines(const QVector<BeamStem>& stems, int d, int left, int top) {
    if (stems.size() < 2) return {{QPoint(left, top), QPoint(left + 50, top)}};

    QVector<int> x;
    for (const BeamStem& s : stems) x << s.stemPosition / 15;
    const int n = int(stems.size());
    auto X = [&](int k) { return left + x[k] - x[0]; };

    QVector<BeamLine> out;
    // A rising beam starts low enough at the left for its right end to come near the top.
    int o = d > 0 ? (x[n - 1] - x[0]) / d : 0;
    for (int k = 1; k < n; ++k) {
        const BeamStem& L = stems[k - 1];
        const BeamStem& R = stems[k];
        const int r = d != 0 ? (x[k] - x[k - 1]) / d : 0;
        const int s = d != 0 ? 10 / d : 0;
        const bool up = (L.stemDirection & 0xFF) != 0;
        for (int m = 0; m < 5; ++m) {
            // Level 0, the main beam, lies nearest the stem ends.
            const int y = top + o + (up ? 5 * m : 25 - 5 * m);
            const bool a = L.beamsRight > m, b = R.beamsLeft > m;
            if (a && b) out.push_back({QPoint(X(k - 1), y), QPoint(X(k), y - r)});
            else if (a) out.push_back({QPoint(X(k - 1), y), QPoint(X(k - 1) + 10, y - s)});
            else if (b) out.push_back({QPoint(X(k), y - r), QPoint(X(k) - 10, y - r + s)});
        }
        o -= r;
    }
    return out;
}

BeamMusic::BeamMusic(QWidget* parent)
    : MusicControl(parent, kLineControlStock, 0) {}

BeamMusic::~BeamMusic() = default;

void BeamMusic::setBeamAngle(int v) {
    beamAngle_ = v;
    divisor_ = beamSlopeDivisor(v, divisor_);
    requestRedraw();
}

QObject* BeamMusic::Add(int nLeftBeams, int nRightBeams, int fStemUp, int nStemPosition) {
    auto* item = new FlagNote(this);
    item->setBeamsLeft(nLeftBeams);
    item->setBeamsRight(nRightBeams);
    item->setStemDirection(fStemUp);
    item->setStemPosition(nStemPosition);
    items_.push_back(item);
    // The earlier items are already in order, so this moves the new one to its place, after
    // stems at the same position.
    for (int i = 0; i + 1 < items_.size(); ++i) {
        const int key = items_[i]->StemPosition();
        for (int j = i + 1; j < items_.size(); ++j)
            if (items_[j]->StemPosition() < key) std::swap(items_[i], items_[j]);
    }
    requestRedraw();
    return item;
}

bool BeamMusic::Remove(int Index) {
    if (Index < 1 || Index > items_.size()) return false;
    // A caller may still be using the item it obtained earlier in the same handler.
    items_.takeAt(Index - 1)->deleteLater();
    requestRedraw();
    return true;
}

FlagNote* BeamMusic::itemAt(int index) const {
    return (index >= 1 && index <= items_.size()) ? items_[index - 1] : nullptr;
}

QObject* BeamMusic::Item(int Index) const { return itemAt(Index); }

QVariantList BeamMusic::NewEnum() const {
    QVariantList out;
    for (FlagNote* item : items_) out << QVariant::fromValue<QObject*>(item);
    return out;
}

void BeamMusic::onDraw(QPainter& p, const QRect& bounds) {
    // The bounding rectangle goes first, with whatever pen and brush the drawing context holds:
    // here that is no pen and a hollow brush, so it leaves no mark and covers no stem.
    p.setPen(QPen(foreRgb(), 1));
    QVector<BeamStem> stems;
    for (FlagNote* f : items_)
        stems.push_back({f->BeamsLeft(), f->BeamsRight(), f->StemDirection(), f->StemPosition()});
    for (const BeamLine& line : beamLines(stems, divisor_, bounds.left(), bounds.top()))
        for (int t = 0; t < 3; ++t)   // three pixels thick
            drawLineNoEnd(p, line.from.x(), line.from.y() + t, line.to.x(), line.to.y() + t);
}

} // namespace music
