#pragma once
// A lesson context over a bare lesson frame, for tests of the lessons, the palettes and the
// staff editor without the main window: the arrays, the table of loaded elements, the exercise
// state, a fresh player, a window double that records what the lessons ask of it, and the
// score-frame controls.
#include "student/lessons/lessoncontext.h"
#include "student/lessons/lessontable.h"
#include "student/lessons/musicmath.h"

#include "student/profile/playersession.h"

#include <QFrame>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QTimer>
#include <memory>
#include <ostream>

// Texts in test messages as text.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace lessons::testing {

class FakeWindow : public LessonWindow {
public:
    QWidget* owner() override { return &widget; }
    void UpdateMenu() override { ++menuUpdates; }
    bool practiceMode() const override { return practice; }
    void PlaySong(const QString& path) override { songs << path; }
    void showHelp(int context) override { helpContexts << context; }
    bool menuChecked(const QString& item) const override { return checks.value(item); }
    void setMenuChecked(const QString& item, bool checked) override { checks[item] = checked; }

    QWidget widget;
    bool practice = true;
    int menuUpdates = 0;
    QStringList songs;
    QList<int> helpContexts;
    QMap<QString, bool> checks;
};

struct LessonFixture {
    LessonFixture() {
        fillKeyTables();
        frame = new QFrame(&window.widget);
        frame->resize(964, 420);
        arrays = std::make_unique<NotationArrays>(frame);
        staff.arrays = arrays.get();
        controls = {frame,
                    new QPushButton(&window.widget),
                    new QPushButton(&window.widget),
                    new QPushButton(&window.widget),
                    new QPushButton(&window.widget),
                    new QLabel(&window.widget),
                    new QLabel(&window.widget),
                    new QLabel(&window.widget),
                    new QTimer(&window.widget)};
        ctx = std::make_unique<LessonContext>(LessonContext{*arrays, flags, state, session, window, palettes,
                                                            &playedInput, &staff, nullptr, controls});
        ctx->table = &table;
        controls.Timer1->setInterval(500);
    }

    FakeWindow window;
    QFrame* frame = nullptr;
    std::unique_ptr<NotationArrays> arrays;
    LoadedFlags flags;
    ExerciseState state;
    tonvale::PlayerSession session;
    PaletteHost palettes;
    PlayedInput playedInput;
    StaffSeam staff;
    FrameControls controls;
    LessonTable table;
    std::unique_ptr<LessonContext> ctx;
};

} // namespace lessons::testing
