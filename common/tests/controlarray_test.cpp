#include "common/controlarray.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(ControlArray, LoadCopiesTheTemplateHiddenAndRefusesTwice) {
    QWidget form;
    auto* tmpl = new QLabel("answer", &form);
    tmpl->setGeometry(10, 20, 30, 40);
    tmpl->setStyleSheet("color: red");
    common::ControlArray<QLabel> arr(tmpl, [](QWidget* p) { return new QLabel(p); });
    EXPECT_EQ(arr.ubound(), 0);
    ASSERT_TRUE(arr.load(1));
    EXPECT_FALSE(arr.load(1));
    EXPECT_FALSE(arr.load(-1));
    QLabel* e = arr[1];
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->text(), "answer");
    EXPECT_EQ(e->geometry(), QRect(10, 20, 30, 40));
    EXPECT_EQ(e->parentWidget(), &form);
    EXPECT_FALSE(e->isVisibleTo(&form));
    EXPECT_EQ(e->styleSheet(), "color: red");

    ASSERT_TRUE(arr.load(5));          // gaps are allowed
    EXPECT_EQ(arr.ubound(), 5);
    EXPECT_FALSE(arr.exists(3));
    EXPECT_EQ(arr.next(), 6);
    EXPECT_FALSE(arr.unload(0));       // the template stays
    EXPECT_FALSE(arr.unload(3));
    EXPECT_TRUE(arr.unload(5));
    EXPECT_EQ(arr.ubound(), 1);
    arr.clear();
    EXPECT_EQ(arr.ubound(), 0);
    EXPECT_TRUE(arr.exists(0));
}

TEST(ControlArray, PicturesComeAlongButEmptyOnesNeverWipeText) {
    QWidget form;
    auto* button = new QPushButton(&form);
    QPixmap speaker(16, 16);
    speaker.fill(Qt::blue);
    button->setIcon(QIcon(speaker));
    button->setIconSize(QSize(16, 16));
    common::ControlArray<QPushButton> speakers(button, [](QWidget* p) { return new QPushButton(p); });
    ASSERT_TRUE(speakers.load(1));
    EXPECT_FALSE(speakers[1]->icon().isNull());

    auto* label = new QLabel("answer", &form);
    common::ControlArray<QLabel> labels(label, [](QWidget* p) { return new QLabel(p); });
    ASSERT_TRUE(labels.load(1));
    EXPECT_EQ(labels[1]->text(), "answer");
}

// Each element keeps the twips the code gave it; the widget shows floor(twips / 15) of each
// edge.
TEST(ControlArray, ElementsKeepTheirTwipsAndShowPixels) {
    QWidget form;
    auto* tmpl = new QLabel("answer", &form);
    common::ControlArray<QLabel> arr(tmpl, [](QWidget* p) { return new QLabel(p); });
    ASSERT_TRUE(arr.Move(0, 1020.5, 400, 660, 329));
    arr.setTag(0, "template");
    ASSERT_TRUE(arr.load(1));
    // Loading copies the template's record (hidden).
    EXPECT_EQ(arr.Left(1), 1020.5);
    EXPECT_EQ(arr.Height(1), 329);
    EXPECT_EQ(arr.Tag(1), "template");
    EXPECT_FALSE(arr.Visible(1));
    EXPECT_EQ(arr[1]->geometry(), QRect(68, 26, 44, 22));

    // A sharp 15 twips right and 130 apart, a slur at 1705, a snap of 75: exact, never
    // rounded through pixels.
    const struct { double left, top; QRect pixels; } moves[] = {
        {1015, 1705, QRect(67, 113, 44, 22)},
        {1015 + 15, 1705 - 75, QRect(68, 108, 44, 22)},
        {1030 + 130, 1630 - 75, QRect(77, 103, 44, 22)},
        {-7.5, 0.5, QRect(-1, 0, 44, 21)},
    };
    for (const auto& m : moves) {
        ASSERT_TRUE(arr.Move(1, m.left, m.top));
        EXPECT_EQ(arr.Left(1), m.left);
        EXPECT_EQ(arr.Top(1), m.top);
        EXPECT_EQ(arr[1]->geometry(), m.pixels);
    }
    // Made wider than the template, it draws across its whole width.
    ASSERT_TRUE(arr.Move(1, {}, {}, 3000));
    EXPECT_EQ(arr[1]->contentsRect(), arr[1]->rect());
    EXPECT_TRUE(arr.setVisible(1, true));
    EXPECT_TRUE(arr.Visible(1));
    EXPECT_TRUE(arr[1]->isVisibleTo(&form));
    ASSERT_TRUE(arr.load(2));
    EXPECT_TRUE(arr.ZOrder(1, 0));
    EXPECT_GT(arr.ZOrderStamp(1), arr.ZOrderStamp(2));
    EXPECT_EQ(form.children().last(), arr[1]);
    // Nothing to read or move on an element that is not loaded.
    EXPECT_FALSE(arr.Move(7, 1));
    EXPECT_EQ(arr.record(7), nullptr);
    EXPECT_EQ(arr.Left(7), 0);
}

// Elements that meet in twips meet on screen: each edge is floor(twips / 15), so a staff
// drawn after another leaves no blank column between their lines whatever their fractions.
TEST(ControlArray, ElementsThatMeetInTwipsMeetOnScreen) {
    QWidget form;
    auto* tmpl = new QLabel(&form);
    common::ControlArray<QLabel> arr(tmpl, [](QWidget* p) { return new QLabel(p); });
    ASSERT_TRUE(arr.load(1));
    ASSERT_TRUE(arr.load(2));
    const struct { double left, width; } rows[] = {{7120, 2600}, {5920, 2000}, {4520, 2600}, {-10, 37.5}};
    for (const auto& r : rows) {
        ASSERT_TRUE(arr.Move(1, r.left, 465, r.width, 1450));
        ASSERT_TRUE(arr.Move(2, r.left + r.width, 465 + 1450, r.width, 1450));
        EXPECT_EQ(arr[2]->x(), arr[1]->geometry().right() + 1) << r.left;
        EXPECT_EQ(arr[2]->y(), arr[1]->geometry().bottom() + 1) << r.left;
        EXPECT_EQ(arr[1]->x(), common::twipsToPixels(r.left));
        EXPECT_EQ(arr[1]->geometry().right() + 1, common::twipsToPixels(r.left + r.width));
    }
}

// An element can unload itself from its own event: it is gone from the array and the screen
// at once, and the widget is freed after the event.
TEST(ControlArray, DeferredUnloadFromTheElementsOwnEvent) {
    QWidget form;
    common::ControlArray<QPushButton> arr(new QPushButton(&form), [](QWidget* p) { return new QPushButton(p); });
    ASSERT_TRUE(arr.load(1));
    QPointer<QPushButton> b = arr[1];
    bool ran = false;
    QObject::connect(b, &QPushButton::clicked, [&] {
        EXPECT_TRUE(arr.unloadDeferred(1));
        EXPECT_FALSE(arr.exists(1));
        EXPECT_TRUE(b);               // still alive while its click runs
        EXPECT_TRUE(b->isHidden());
        EXPECT_TRUE(arr.load(1));     // the index is free again
        ran = true;
    });
    arr.setVisible(1, true);
    b->click();
    ASSERT_TRUE(ran);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(b);
    EXPECT_TRUE(arr.exists(1));
    EXPECT_FALSE(arr.unloadDeferred(0));
}
