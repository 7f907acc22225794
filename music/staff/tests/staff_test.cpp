#include "music/framework/dispatch.h"
#include "music/staff/staff.h"
#include "testoutput.h"

#include <QImage>
#include <gtest/gtest.h>

using music::Staff;

namespace {
QImage render(Staff& s) {
    QImage img = s.grab().toImage().convertToFormat(QImage::Format_RGB32);
    return img;
}
bool isInk(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)) < 128; }
} // namespace

TEST(Staff, DefaultsDrawFiveLinesTenApart) {
    QWidget host;
    Staff s(&host);
    s.resize(140, 60);
    EXPECT_EQ(s.LineTop(), 10);
    EXPECT_EQ(s.LineNumbers(), 5);
    const QImage img = render(s);
    img.save(testOutputPath("staff_default.png"));
    for (int y = 0; y < 60; ++y) {
        const bool line = y == 10 || y == 20 || y == 30 || y == 40 || y == 50;
        EXPECT_EQ(isInk(img, 10, y), line) << y;
        EXPECT_EQ(isInk(img, 129, y), line) << y;
        EXPECT_FALSE(isInk(img, 130, y)) << "the end point is not painted, y " << y;
        EXPECT_FALSE(isInk(img, 9, y)) << y;
    }
}

TEST(Staff, SetterClamps) {
    Staff s;
    struct { const char* prop; int in, out; } rows[] = {
        {"LineTop", -20, -20}, {"LineLeft", -3, 0}, {"LineWidth", 0, 1}, {"LineWidth", -9, 1},
        {"LineSpace", -1, 0}, {"LineNumbers", -2, 0}, {"LineNumbers", 9, 9}};
    for (auto r : rows) {
        music::dispPut(&s, r.prop, r.in);
        EXPECT_EQ(music::dispGet(&s, r.prop).toInt(), r.out) << r.prop << " " << r.in;
    }
}

TEST(Staff, CustomLinesColoursAndEdgeCases) {
    QWidget host;
    Staff s(&host);
    s.resize(300, 120);
    s.setBackColor(0xE0F0FF);       // pale cream (0x00BBGGRR)
    s.setForeColor(0x800000);       // dark blue
    s.setLineTop(20);
    s.setLineLeft(15);
    s.setLineWidth(260);
    s.setLineSpace(20);
    s.setLineNumbers(4);
    QImage img = render(s);
    img.save(testOutputPath("staff_custom.png"));
    EXPECT_EQ(QColor(img.pixel(0, 0)), QColor(0xFF, 0xF0, 0xE0));
    EXPECT_EQ(QColor(img.pixel(15, 20)), QColor(0, 0, 0x80));
    EXPECT_EQ(QColor(img.pixel(274, 80)), QColor(0, 0, 0x80));
    EXPECT_EQ(QColor(img.pixel(274, 100)), QColor(0xFF, 0xF0, 0xE0));   // only four lines

    s.setLineNumbers(0);                      // background only
    img = render(s);
    for (int y = 0; y < 120; y += 5) EXPECT_EQ(QColor(img.pixel(50, y)), QColor(0xFF, 0xF0, 0xE0));

    s.setLineNumbers(5);
    s.setLineSpace(0);                        // all lines on top of one another
    s.setLineWidth(0);                        // one pixel at LineLeft
    img = render(s);
    EXPECT_EQ(QColor(img.pixel(15, 20)), QColor(0, 0, 0x80));
    EXPECT_EQ(QColor(img.pixel(16, 20)), QColor(0xFF, 0xF0, 0xE0));
    EXPECT_EQ(QColor(img.pixel(15, 21)), QColor(0xFF, 0xF0, 0xE0));

    s.setLineTop(-15);                        // lines above the control are not visible
    s.setLineSpace(10);
    s.setLineWidth(100);
    img = render(s);
    EXPECT_EQ(QColor(img.pixel(20, 5)), QColor(0, 0, 0x80));
    EXPECT_EQ(QColor(img.pixel(20, 15)), QColor(0, 0, 0x80));
    EXPECT_EQ(QColor(img.pixel(20, 25)), QColor(0, 0, 0x80));
    EXPECT_EQ(QColor(img.pixel(20, 35)), QColor(0xFF, 0xF0, 0xE0));
}

TEST(Staff, FarOffGeometryNeverWrapsIntoView) {
    QWidget host;
    Staff s(&host);
    s.resize(140, 60);
    // Lines that start far right of the control stay out of it, however long they are.
    s.setLineTop(10);
    s.setLineLeft(2000000000);
    s.setLineWidth(2000000000);
    s.setLineNumbers(1);
    QImage img = render(s);
    for (int x = 0; x < 140; ++x) EXPECT_FALSE(isInk(img, x, 10)) << x;

    // Lines a billion pixels apart: only the first one is inside the control.
    s.setLineLeft(10);
    s.setLineWidth(120);
    s.setLineTop(0);
    s.setLineSpace(1073741825);
    s.setLineNumbers(5);
    img = render(s);
    EXPECT_TRUE(isInk(img, 10, 0));
    for (int y = 1; y < 60; ++y) EXPECT_FALSE(isInk(img, 10, y)) << y;

    // The largest count, one pixel apart: every row of the control is a line, drawn at once.
    s.setLineSpace(1);
    s.setLineNumbers(2147483647);
    img = render(s);
    for (int y = 0; y < 60; ++y) EXPECT_TRUE(isInk(img, 10, y)) << y;
}
