#include "catalogue.h"

namespace classserver {
namespace {

const char* const kSopranelTitles[98] = {
    " 1.  Name the Treble and Bass Clef Notes",
    " 2.  Place a Note for Each Letter Name. Treble and Bass Clef.",
    " 3.  Name the Tenor and Alto Clef Notes",
    " 4.  Place a Note for Each Letter Name. Tenor and Alto Clef.",
    " 5.  Identify the Diatonic Semitones (DS), Chromatic Semitones (CS), and Whole Tones (WT).",
    " 6.  Place a Tone or Semitone above or below each note as indicated.",
    " 7.  Place a Chromatic Semitone above or below each note as indicated.",
    " 8.  Add a single note or rest equal to the following.",
    " 9.  Name the Major or Minor key for each key signature.",
    "10. Add the correct key signature for each.",
    "11. Name the Major or Minor key for each key signature.",
    "12. Add the correct key signature for each.",
    "13. Add the following note using the correct key signature.",
    "14. Add the following note using the correct key signature.",
    "15. Add the following note using accidentals instead of a key signature.",
    "16. Name the major key and add the technical name for the following notes.",
    "17. Write the following Major Scales as indicated, marking semitones with a slur, and labeling the Tonic and Dominant.",
    "18. Write the following Major Scales ascending and descending, marking semitones with a slur, and labeling the Tonic and Dominant.",
    "19. Write the following Major Scales ascending and descending, marking semitones with a slur.",
    "20. Write the following Major Scales ascending only, using the correct key signature for each.",
    "21. Write the following Major Scales ascending and descending, marking semitones with a slur.",
    "22. Write the following Major Scales, degree to degree, for one octave, ascending and descending, marking semitones with a slur.",
    "23. Name the relative key for each.",
    "24. Write the following Minor Scales ascending and descending labeling the Tonic and Dominant.",
    "25. Write the following Minor Scales ascending and descending marking semitones with a slur.",
    "26. Write the following Minor Scales ascending and descending marking semitones with a slur.",
    "27. Write the following Major and Minor Scales ascending and descending.",
    "28. Write the following Minor Scales, degree to degree, for one octave, ascending and descending, marking semitones with a slur.",
    "29. Write the following Minor Scales ascending and descending, as indicated, marking semitones with a slur.",
    "30. Write the correct clef, key signature, and accidentals to form the following scales.",
    "31. Write the following Minor Scales ascending and descending.",
    "32. Write the following Minor Scales, degree to degree, for one octave, ascending and descending.",
    "33. Write the following Major and Minor Scales ascending and descending.",
    "34. Write the correct clef, key signature, and accidentals to form the following scales.",
    "35. State the relationship between the following keys.",
    "36. Write the following Chromatic Scales ascending and descending.",
    "37. Write the name of the following intervals using abbreviations 'maj' for major, 'min' for minor and 'per' for perfect.",
    "38. Write the following intervals above each note.",
    "39. Name the following melodic intervals.",
    "40. Name the following intervals. Invert them on the staff below and rename them.",
    "41. Write the following intervals above each note. Invert them on the staff below and rename them.",
    "42. Write the following intervals above each note.",
    "43. Name the following intervals.",
    "44. Name the following intervals. Invert them on the staff below and rename them.",
    "45. Write the following intervals ABOVE or BELOW each note.",
    "46. Name the following intervals, change the BOTTOM or UPPER note enharmonically and re-name.",
    "47. Name the following compound intervals. Invert and re-name them.",
    "48. Name the intervals between the following successive notes.",
    "49. Name all the keys in which each of these intervals may be found. Click on the letters to change columns.",
    "50. Write the specified intervals found in the following key.",
    "51. Mark the intervals that occur between the different notes of the following scale with a slur.",
    "52. Name the following intervals and name the one key that contains them all.",
    "53. Write the following triads as indicated.",
    "54. Identify the following triads.",
    "55. Write the following triads and its inversion on each of these notes as indicated.",
    "56. Write the following triads as indicated using accidentals instead of a key signature.",
    "57. Solve the following triads.",
    "58. Add accidentals where necessary to make these a major or minor triad.",
    "59. Solve the following open position triads.",
    "60. Write the following triads in close position as indicated.",
    "61. Write three different arrangements of the following triads in open position.",
    "62. Write the following triads in close position, in the given degree, as indicated.",
    "63. Write four different kinds of triads, in root position, ABOVE or BELOW each of the following notes as indicated.",
    "64. Write and name all the triads found in the following key using the correct key signature.",
    "65. Name all the keys in which each of these triads may be found. Click on the letters to change columns.",
    "66. Write the one triad that is found in the following keys.",
    "67. Identify the key and the kind of cadence for each of the following.",
    "68. Write a two bar example of a cadence given the key, the time signature, and the type of cadence.",
    "69. Identify the key, the kind of cadence, and mark the Roman numeral of each chord for each of the following.",
    "70. Write a two bar example of a cadence given the key, the time signature, and the type of cadence.",
    "71. Write a two bar example of each of the three kinds of cadences given the key and the time signature. Apply a key signature for each.",
    "72. Write a cadence at the end of each phrase of the following melodies, and name each cadence.",
    "73. Write the Dominant seventh chord and its inversions in each of the following keys using the correct key signature.",
    "74. Solve these Dominant seventh chords.",
    "75. Write Dominant sevenths as indicated using the correct key signature for each.",
    "76. Write inversions of Dominant sevenths using the given note as the lowest note. Name the key for each as indicated.",
    "77. Add accidentals to the following to make them Dominant sevenths. Name the key as indicated.",
    "78. Solve these open position Dominant seventh chords.",
    "79. Write two bar examples using different rhythm for each time signature.",
    "80. Add bar lines on each of the following according to the given time signature.",
    "81. Add the correct time signature for each of the following rhythms.",
    "82. Insert the proper rests in the places indicated by brackets.",
    "83. Given the time signature, group each of the following notes to make one complete bar.",
    "84. Insert the proper rests in the places indicated by brackets.",
    "85. Add the correct time signature for each of the following rhythms.",
    "86. Given the time signature, group each of the following notes to make one complete bar.",
    "87. Write two bar examples using different rhythm for each time signature.",
    "88. Regroup the following rhythms as indicated.",
    "89. Complete the following bars with rests.",
    "90. Name the key of the following melody. Transpose as indicated.",
    "91. Name the key. Transpose as indicated using the correct key signature and omitting any unnecessary accidentals.",
    "92. Name the key. Transpose as indicated using the correct key signature and omitting any unnecessary accidentals.",
    "93. Transpose as indicated.",
    "94. Transpose as indicated.",
    "95. Transpose the short scores or open scores as indicated.",
    "96. Define each term.",
    "97. Define each term.",
    "98. Define each term.",
};

// B Beginner, I Intermediate, A Advanced; lessons 1..98.
const char kSopranelDifficulty[] =
    "BBAABBIBBB" "IIBIIIBBII" "AABBBIIIII" "AAAAAABBBI" "IIAAAAAAAA"
    "AABBIIIIAA" "AAAAAAIIAA" "AAAAAAAABB" "BBBIIIIIIB" "IAIAABIA";

const int kSopranelExercises[98] = {
    15, 25, 18, 18, 9, 18, 6, 14, 4, 6,
    4, 6, 6, 6, 6, 2, 8, 4, 4, 4,
    4, 8, 2, 8, 8, 4, 4, 8, 8, 4,
    8, 8, 8, 4, 2, 8, 2, 2, 2, 2,
    2, 2, 4, 4, 4, 2, 2, 2, 4, 4,
    4, 4, 8, 4, 4, 8, 4, 4, 2, 8,
    5, 8, 4, 8, 4, 4, 4, 6, 4, 6,
    6, 8, 10, 8, 4, 6, 8, 4, 4, 8,
    8, 8, 8, 8, 8, 8, 4, 4, 8, 8,
    8, 8, 8, 8, 8, 8, 8, 8,
};

// Lessons that open a new topic (notes and clefs, keys and scales, intervals, triads,
// cadences, dominant sevenths, rhythm and metre, transposition, terms).
const int kTopicStarts[] = {9, 37, 53, 67, 73, 79, 90, 96};

struct TonvaleLesson { const char* title; int exercises; int topic; };
const TonvaleLesson kTonvaleLessons[7] = {
    {" 1.  Identify these intervals.", 9, 3},
    {" 2.  Playback or Write the following melodies.", 12, 2},
    {" 3.  Identify these chords.", 12, 4},
    {" 4.  Playback or Write the following rhythms.", 8, 1},
    {" 5.  Identify the following cadences.", 6, 5},
    {" 6.  Identify the following time signatures.", 4, 7},
    {" 7.  Play the following rhythms.", 12, 1},
};

QString difficultyWord(char c) {
    switch (c) {
    case 'B': return QStringLiteral("Beginner");
    case 'I': return QStringLiteral("Intermediate");
    default: return QStringLiteral("Advanced");
    }
}

struct ProductName { const char* prefix; Product product; };
const ProductName kProductNames[] = {
    {"Sopranel", Product::Sopranel}, {"Tonvale", Product::Tonvale},
    {"Ostrelle", Product::Ostrelle}, {"Vantrique", Product::Vantrique},
    {"Meldorac", Product::Meldorac}, {"Quelsary", Product::Quelsary},
    {"Dornavel", Product::Dornavel},
};

} // namespace

int productBase(Product p) { return int(p) * 11; }

Product productFromText(const QString& productText) {
    for (const ProductName& n : kProductNames)
        if (productText.startsWith(QLatin1String(n.prefix), Qt::CaseSensitive)) return n.product;
    return Product::Other;
}

Product productOfClass(int classId) {
    if (classId < 0) return Product::Other;
    const int block = classId / 11;
    return block >= int(Product::Other) ? Product::Other : Product(block);
}

int lessonCount(Product p) { return p == Product::Tonvale ? 7 : 98; }

const LessonCatalogue& LessonCatalogue::instance() {
    static const LessonCatalogue catalogue;
    return catalogue;
}

LessonCatalogue::LessonCatalogue() {
    int topic = 1;
    for (int k = 1; k <= 98; ++k) {
        for (int start : kTopicStarts)
            if (k == start) ++topic;
        Lessons1Name[k] = QString::fromUtf8(kSopranelTitles[k - 1]);
        Lessons1Difficulty[k] = difficultyWord(kSopranelDifficulty[k - 1]);
        Lessons1Info[k][1] = kSopranelExercises[k - 1];
        Lessons1Info[k][2] = topic;
    }
    for (int k = 1; k <= 7; ++k) {
        Lessons2Name[k] = QString::fromUtf8(kTonvaleLessons[k - 1].title);
        Lessons2Difficulty[k] = QStringLiteral("Incremental");
        Lessons2Info[k][1] = kTonvaleLessons[k - 1].exercises;
        Lessons2Info[k][2] = kTonvaleLessons[k - 1].topic;
    }
}

bool LessonCatalogue::has(Product p, int k) const {
    if (p == Product::Sopranel) return k >= 1 && k <= 98;
    if (p == Product::Tonvale) return k >= 1 && k <= 7;
    return false;
}

CatalogueEntry LessonCatalogue::entry(Product p, int k) const {
    CatalogueEntry e;
    if (!has(p, k)) return e;
    if (p == Product::Sopranel) {
        e = {Lessons1Name[k], Lessons1Difficulty[k], Lessons1Info[k][1], Lessons1Info[k][2]};
    } else {
        e = {Lessons2Name[k], Lessons2Difficulty[k], Lessons2Info[k][1], Lessons2Info[k][2]};
    }
    return e;
}

} // namespace classserver
