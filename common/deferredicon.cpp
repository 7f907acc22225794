#include "deferredicon.h"

#include <QIconEngine>
#include <QPainter>

#include <memory>

namespace common {
namespace {

// What the copies of one deferred icon share: how to make it, and the icon once made.
struct DeferredPicture {
    std::function<QIcon()> make;
    QIcon made;
    bool done = false;

    const QIcon& icon() {
        if (!done) {
            done = true;
            made = make ? make() : QIcon();
            make = nullptr;
        }
        return made;
    }
};

class DeferredIconEngine : public QIconEngine {
public:
    explicit DeferredIconEngine(std::shared_ptr<DeferredPicture> picture) : picture_(std::move(picture)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        picture_->icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return picture_->icon().pixmap(size, 1.0, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        return picture_->icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return picture_->icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return picture_->icon().availableSizes(mode, state);
    }
    QString iconName() override { return picture_->icon().name(); }
    // Not null before it is made: a button or list item treats it as the picture it will be.
    bool isNull() override { return picture_->done && picture_->made.isNull(); }
    QString key() const override { return QStringLiteral("DeferredIconEngine"); }
    QIconEngine* clone() const override { return new DeferredIconEngine(picture_); }

private:
    std::shared_ptr<DeferredPicture> picture_;
};

} // namespace

QIcon deferredIcon(std::function<QIcon()> make) {
    auto picture = std::make_shared<DeferredPicture>();
    picture->make = std::move(make);
    return QIcon(new DeferredIconEngine(std::move(picture)));
}

} // namespace common
