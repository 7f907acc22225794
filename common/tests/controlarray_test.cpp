#include "common/controlarray.h"

#include <QLabel>
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
