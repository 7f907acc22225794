#pragma once
// The lessons of the two course products whose results the class server can describe:
// titles, difficulty words, exercise counts and topic numbers, indexed by lesson number
// (index 0 is never filled). Filled once and read only afterwards.
#include <QString>

namespace classserver {

// The course products, told apart by the text a student program gives as its product name.
enum class Product { Sopranel, Tonvale, Ostrelle, Vantrique, Meldorac, Quelsary, Dornavel, Other };

// First class id of the product's block of 11 (77 for any other product).
int productBase(Product p);
// The product whose name the product text begins with (exact letter case), in table order.
Product productFromText(const QString& productText);
// Product whose block holds a class id (Int(id / 11) * 11 = base); ids past 77 are Other.
Product productOfClass(int classId);
// Number of lessons a student of the product has rows for: 7 for Tonvale, 98 otherwise.
int lessonCount(Product p);

struct CatalogueEntry {
    QString name;        // title, numbered in the title itself
    QString difficulty;  // "Beginner", "Intermediate", "Advanced" or "Incremental"
    int exercises = 0;
    int topic = 0;
};

class LessonCatalogue {
public:
    static const LessonCatalogue& instance();

    // Whether the product has a catalogue entry for lesson k (1..98 Sopranel, 1..7 Tonvale).
    bool has(Product p, int k) const;
    // The entry, or an empty one (no name, difficulty, 0 exercises) outside the catalogue.
    CatalogueEntry entry(Product p, int k) const;

    // The tables as the rest of the server reads them; index 0 empty.
    QString Lessons1Name[99];
    QString Lessons1Difficulty[99];
    int Lessons1Info[99][3] = {};
    QString Lessons2Name[8];
    QString Lessons2Difficulty[8];
    int Lessons2Info[8][3] = {};

private:
    LessonCatalogue();
};

} // namespace classserver
