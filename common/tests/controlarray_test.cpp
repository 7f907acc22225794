#include "common/controlarray.h"

#include <QLabel>
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
