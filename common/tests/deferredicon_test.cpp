#include "common/deferredicon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

QPixmap picture() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(60, 120, 210));
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    return pm;
}

QImage image(const QPixmap& pm) { return pm.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied); }

} // namespace

// Made once, when first drawn, and from then on the same pixels and sizes as the icon it
// stands for, in every mode and at sizes other than its own.
TEST(DeferredIcon, MadeOnFirstDrawingAndLooksLikeTheIconItStandsFor) {
    int made = 0;
    const QIcon eager(picture());
    QIcon deferred = common::deferredIcon([&made] {
        ++made;
        return QIcon(picture());
    });
    QPushButton button;
    button.setIcon(deferred);
    const QIcon copy = button.icon();
    EXPECT_FALSE(deferred.isNull());
    EXPECT_FALSE(copy.isNull());
    EXPECT_EQ(made, 0);

    for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected}) {
        for (const QSize size : {QSize(16, 16), QSize(24, 24), QSize(12, 12)}) {
            SCOPED_TRACE(QString("mode %1 size %2").arg(int(mode)).arg(size.width()).toStdString());
            EXPECT_EQ(copy.actualSize(size, mode), eager.actualSize(size, mode));
            EXPECT_EQ(image(copy.pixmap(size, mode)), image(eager.pixmap(size, mode)));
        }
    }
    QImage painted(20, 20, QImage::Format_ARGB32_Premultiplied), expected = painted;
    painted.fill(Qt::white);
    expected.fill(Qt::white);
    {
        QPainter p(&painted);
        deferred.paint(&p, QRect(0, 0, 20, 20));
        QPainter q(&expected);
        eager.paint(&q, QRect(0, 0, 20, 20));
    }
    EXPECT_EQ(painted, expected);
    EXPECT_EQ(made, 1);
}

TEST(DeferredIcon, AnEmptyPictureIsNullOnceMade) {
    const QIcon deferred = common::deferredIcon([] { return QIcon(); });
    EXPECT_FALSE(deferred.isNull());
    EXPECT_TRUE(deferred.pixmap(16, 16).isNull());
    EXPECT_TRUE(deferred.isNull());
}
