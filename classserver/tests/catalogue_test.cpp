#include <gtest/gtest.h>

#include "classserver/catalogue.h"

using namespace classserver;

TEST(LessonCatalogue, TopicsOpenAtTheirFirstLessons) {
    const LessonCatalogue& c = LessonCatalogue::instance();
    const struct { int lesson, topic; } cases[] = {
        {1, 1}, {8, 1}, {9, 2}, {36, 2}, {37, 3}, {52, 3}, {53, 4}, {66, 4},
        {67, 5}, {72, 5}, {73, 6}, {78, 6}, {79, 7}, {89, 7}, {90, 8}, {95, 8}, {96, 9}, {98, 9},
    };
    for (const auto& t : cases) EXPECT_EQ(c.Lessons1Info[t.lesson][2], t.topic) << "lesson " << t.lesson;
}

TEST(LessonCatalogue, SopranelTablesHoldTitlesDifficultiesAndCounts) {
    const LessonCatalogue& c = LessonCatalogue::instance();
    EXPECT_EQ(c.Lessons1Name[1], " 1.  Name the Treble and Bass Clef Notes");
    EXPECT_EQ(c.Lessons1Name[10], "10. Add the correct key signature for each.");
    EXPECT_EQ(c.Lessons1Name[37],
              "37. Write the name of the following intervals using abbreviations 'maj' for major, 'min' for "
              "minor and 'per' for perfect.");
    EXPECT_EQ(c.Lessons1Name[98], "98. Define each term.");
    EXPECT_EQ(c.Lessons1Info[2][1], 25);
    EXPECT_EQ(c.Lessons1Info[73][1], 10);
    EXPECT_EQ(c.Lessons1Info[98][1], 8);
    EXPECT_EQ(c.Lessons1Difficulty[1], "Beginner");
    EXPECT_EQ(c.Lessons1Difficulty[3], "Advanced");
    EXPECT_EQ(c.Lessons1Difficulty[7], "Intermediate");
    EXPECT_EQ(c.Lessons1Difficulty[96], "Beginner");
    EXPECT_EQ(c.Lessons1Difficulty[98], "Advanced");
    int largest = 0;
    for (int k = 1; k <= 98; ++k) {
        if (k != 2 && k != 73) largest = std::max(largest, c.Lessons1Info[k][1]);
        EXPECT_TRUE(c.Lessons1Name[k].startsWith(QString("%1.").arg(k, 2)) ) << k;
    }
    EXPECT_LT(largest, 25);
}

TEST(LessonCatalogue, TonvaleLessonsAndTheEmptyIndexZero) {
    const LessonCatalogue& c = LessonCatalogue::instance();
    EXPECT_EQ(c.Lessons2Name[2], " 2.  Playback or Write the following melodies.");
    EXPECT_EQ(c.Lessons2Info[2][1], 12);
    const int exercises[] = {9, 12, 12, 8, 6, 4, 12};
    const int topics[] = {3, 2, 4, 1, 5, 7, 1};
    for (int k = 1; k <= 7; ++k) {
        EXPECT_EQ(c.Lessons2Info[k][1], exercises[k - 1]);
        EXPECT_EQ(c.Lessons2Info[k][2], topics[k - 1]);
        EXPECT_EQ(c.Lessons2Difficulty[k], "Incremental");
    }
    EXPECT_TRUE(c.Lessons1Name[0].isEmpty());
    EXPECT_TRUE(c.Lessons2Name[0].isEmpty());
    EXPECT_EQ(c.Lessons1Info[0][1], 0);
    EXPECT_FALSE(c.has(Product::Tonvale, 8));
    EXPECT_FALSE(c.has(Product::Sopranel, 99));
    EXPECT_FALSE(c.has(Product::Ostrelle, 1));
    EXPECT_TRUE(c.entry(Product::Tonvale, 0).name.isEmpty());
}

TEST(LessonCatalogue, ProductTextsGiveTheirClassBlocks) {
    const struct { const char* text; int base; } cases[] = {
        {"Sopranel 2.0", 0}, {"Tonvale 1.2", 11}, {"Ostrelle 1.0", 22}, {"Vantrique", 33},
        {"Meldorac x", 44}, {"Quelsary", 55}, {"Dornavel 3", 66}, {"tonvale 1.2", 77},
        {"", 77}, {" Tonvale", 77}, {"Other", 77},
    };
    for (const auto& t : cases) EXPECT_EQ(productBase(productFromText(t.text)), t.base) << t.text;
    EXPECT_EQ(productOfClass(13), Product::Tonvale);
    EXPECT_EQ(productOfClass(10), Product::Sopranel);
    EXPECT_EQ(productOfClass(77), Product::Other);
    EXPECT_EQ(lessonCount(Product::Tonvale), 7);
    EXPECT_EQ(lessonCount(Product::Sopranel), 98);
    EXPECT_EQ(lessonCount(Product::Other), 98);
}
