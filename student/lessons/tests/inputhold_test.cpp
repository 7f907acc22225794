// The input hold of a sounding question, on plain windows: what it holds (the lesson's window
// and the tool windows it had), what it never holds (a box or a window made meanwhile, any
// modal box, a window of its own), and how the input held is handed on once it ends.
#include "student/lessons/playback.h"

#include "lessontestsupport.h"
#include "userinput.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>

namespace lessons {
namespace {

// A shown window with one button, whose clicks are written to `log` under its name.
struct Window {
    Window(const QString& name, QStringList& log, QWidget* owner = nullptr, Qt::WindowFlags flags = {})
        : widget(owner, flags), button(name, &widget) {
        widget.setWindowTitle(name);
        button.setGeometry(10, 10, 120, 30);
        widget.resize(200, 100);
        QObject::connect(&button, &QPushButton::clicked, [&log, name] { log << name; });
        widget.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&widget));
    }
    QWidget widget;
    QPushButton button;
};

// A box with OK and Cancel that a timer opens while the hold lasts (here: runs it at once) and
// that is answered or closed in one of the ways a box is. A box still up after a second is
// taken down by a watchdog, so a box that cannot be closed fails the test and does not hang it.
TEST(InputHold, ABoxOpenedMeanwhileIsAnsweredAndClosed) {
    struct Case {
        const char* how;
        bool madeBeforeTheHold;
        std::function<void(QDialog&, QPushButton& ok)> close;
        int result;
    };
    const Case cases[] = {
        {"Return", false, [](QDialog& box, QPushButton&) { QTest::keyClick(&box, Qt::Key_Return); }, QDialog::Accepted},
        {"a click on OK", false, [](QDialog&, QPushButton& ok) { clickThroughWindow(&ok); }, QDialog::Accepted},
        {"reject() from code", false, [](QDialog& box, QPushButton&) { box.reject(); }, QDialog::Rejected},
        {"its close box", false, [](QDialog& box, QPushButton&) { box.windowHandle()->close(); }, QDialog::Rejected},
        {"Return, in a box made before", true, [](QDialog& box, QPushButton&) { QTest::keyClick(&box, Qt::Key_Return); },
         QDialog::Accepted},
    };
    for (const Case& c : cases) {
        QStringList log;
        Window lesson("lesson", log);
        std::unique_ptr<QDialog> box;
        auto makeBox = [&] {
            box = std::make_unique<QDialog>(&lesson.widget);
            auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, box.get());
            (new QVBoxLayout(box.get()))->addWidget(buttons);
            QObject::connect(buttons, &QDialogButtonBox::accepted, box.get(), &QDialog::accept);
            QObject::connect(buttons, &QDialogButtonBox::rejected, box.get(), &QDialog::reject);
        };
        if (c.madeBeforeTheHold) makeBox();
        InputHold hold(&lesson.widget);
        if (!box) makeBox();
        QPushButton* ok = box->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        QTimer::singleShot(0, box.get(), [&] {
            if (QTest::qWaitForWindowExposed(box.get())) c.close(*box, *ok);
        });
        bool stuck = false;
        QTimer::singleShot(1000, box.get(), [&] {
            stuck = box->isVisible();
            box->hide();
        });
        const int result = box->exec();
        EXPECT_FALSE(stuck) << c.how;
        EXPECT_EQ(result, c.result) << c.how;
        EXPECT_TRUE(lesson.widget.isVisible()) << c.how;
    }
}

// Clicks, taps and closes on the lesson's window and its tool window wait for the hold and are
// then acted on in the order they came, a tap as a click and a close as a close. A window of
// the program's own (the help, say) and a window made meanwhile go on taking input.
TEST(InputHold, TheLessonsWindowsWaitThenActInOrder) {
    QStringList log;
    Window lesson("lesson", log);
    Window tool("tool", log, &lesson.widget, Qt::Tool);
    Window other("other", log);
    {
        InputHold hold(&lesson.widget);
        Window later("later", log, &lesson.widget, Qt::Tool);
        clickThroughWindow(&tool.button);
        tapThroughWindow(&lesson.button);
        clickThroughWindow(&other.button);
        clickThroughWindow(&later.button);
        tool.widget.windowHandle()->close();
        clickThroughWindow(&lesson.button);
        lesson.widget.close();
        QApplication::processEvents();
        EXPECT_EQ(log, QStringList({"other", "later"}));
        EXPECT_TRUE(lesson.widget.isVisible());
        EXPECT_TRUE(tool.widget.isVisible());
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(log, QStringList({"other", "later"}));   // not before the event loop takes them up
    QApplication::processEvents();
    EXPECT_EQ(log, QStringList({"other", "later", "tool", "lesson", "lesson"}));
    EXPECT_FALSE(tool.widget.isVisible());
    EXPECT_FALSE(lesson.widget.isVisible());
}

} // namespace
} // namespace lessons
