#include "exerciseflow.h"

#include "lessoncatalogue.h"
#include "lessontable.h"

#include "common/basic.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "student/profile/profilestore.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace lessons {
namespace {

platform::Dialogs& dialogs() { return platform::Dialogs::instance(); }

qint16 toInt16(double v) { return qint16(std::clamp(v, -32768.0, 32767.0)); }

// The scorer's head: the score starts at 0 and the countdown stops.
void scorerHead(LessonContext& ctx) {
    ctx.state.ExerciseScore = 0;
    if (ctx.frame.Timer1) ctx.frame.Timer1->stop();
}

// The scorer's tail: score shown, result recorded, end of the lesson, save, menus.
void scorerTail(LessonContext& ctx) {
    ExerciseState& s = ctx.state;
    const QString text = QString::number(qint64(basic::Int(s.ExerciseScore))) + QStringLiteral("%");
    QLabel* score = ctx.frame.lblScore;
    if (!s.ExerciseRunning) {
        // A set marked again: the score only in the tip, nothing recorded.
        if (score) score->setToolTip(QStringLiteral("Updated Score: ") + text);
        ctx.window.UpdateMenu();
        return;
    }
    if (score) {
        score->setText(text);
        score->setToolTip(QStringLiteral("Updated Score: ") + text);
    }
    s.ExerciseRunning = false;
    RecordExerciseResult(ctx);
    const int end = lessonInfo(s.CurrentLesson).endLevel;
    const bool practice = ctx.window.practiceMode();
    if (end > 0 && s.CurrentLevel == end) {
        if (practice) {
            s.RestartLesson = true;
            s.CurrentLevel = qint16(s.CurrentLevel - 1);
        } else {
            dialogs().messageBox(QStringLiteral("Congratulations, You Did It!"), platform::Information,
                                 QStringLiteral("Finished"), ctx.window.owner());
            s.CurrentLevel = qint16(end - 1);
        }
    }
    put(ctx.arrays.BarFine, "ForeColor", 0);
    if (ctx.frame.cmdGo) ctx.frame.cmdGo->setEnabled(true);
    if (!practice) tonvale::ProfileStore::SaveProfile(ctx.session, s.CurrentLesson, s.CurrentLevel);
    ctx.window.UpdateMenu();
}

} // namespace

void announceTestSet(LessonContext& ctx, bool setDeadline) {
    ExerciseState& s = ctx.state;
    const QString text = QStringLiteral("Starting lesson %1 exercise %2").arg(s.CurrentLesson).arg(s.CurrentLevel - 1);
    const int lesson = s.CurrentLesson;
    dialogs().messageBoxWithHelp(text, platform::Information + platform::HelpButton, QStringLiteral("Test Mode"),
                                 ctx.window.owner(), [&ctx, lesson] { ctx.window.showHelp(lesson); });
    if (setDeadline) s.TestDeadline = platform::Clock::instance().nowMs() + kDeadlineAheadMs;
    if (ctx.frame.Timer1) ctx.frame.Timer1->start();
}

void cmdGo_Click(LessonContext& ctx) {
    ExerciseState& s = ctx.state;
    if (s.QuestionSounding) return;
    s.DragX = 0;
    s.DragY = 0;
    ctx.window.CloseSong();
    s.TestDeadline = 0;
    if (ctx.frame.lblTime) ctx.frame.lblTime->setText(QStringLiteral("00:00:00"));
    if (ctx.window.practiceMode()) {
        const int answer = dialogs().messageBox(QStringLiteral("Skip to next exercise?"),
                                                platform::YesNo + platform::Question, QStringLiteral("Question"),
                                                ctx.window.owner());
        if (answer == platform::AnsYes) {
            if (s.RestartLesson) s.CurrentLevel = 2;
        } else if (!s.RestartLesson) {
            // The scorer has raised the level already: No takes the set again at its level.
            // At the lesson's end the scorer has put it back itself, so it stays.
            s.CurrentLevel = qint16(s.CurrentLevel - 1);
        }
    }
    s.tools.releaseAll(QStringLiteral("frmFloatingNotes"));
    if (ctx.table)
        if (const auto& build = ctx.table->row(s.CurrentLesson).build) build(ctx);
}

void DoScore(LessonContext& ctx) {
    ExerciseState& s = ctx.state;
    if (s.QuestionSounding) return;
    s.SetMouseDown(false);
    s.ExerciseScore = 0;
    const int n = s.CurrentLesson;
    if (n < 1 || n > 7) return;
    if (s.ExerciseRunning && !ctx.window.practiceMode())
        ctx.session.AttemptCount[n] = toInt16(double(ctx.session.AttemptCount[n]) + 1);
    scorerHead(ctx);
    if (ctx.table)
        if (const auto& mark = ctx.table->row(n).mark) mark(ctx);
    scorerTail(ctx);
}

void RecordExerciseResult(LessonContext& ctx) {
    ExerciseState& s = ctx.state;
    const int n = s.CurrentLesson;
    if (ctx.window.practiceMode()) {
        s.RestartLesson = false;
        s.CurrentLevel = qint16(s.CurrentLevel + 1);
        return;
    }
    tonvale::PlayerSession& p = ctx.session;
    if (n < 1 || n > 7) return;
    const double count = p.AttemptCount[n];
    if (count >= 1) {
        // Wider than 16 bits on the way: hundreds of attempts at a high average overflow.
        const double average = ((count - 1) * double(p.AverageScore[n]) + s.ExerciseScore) / count;
        p.AverageScore[n] = toInt16(basic::roundHalfEven(average));
    }
    if (p.CompletedLevel[n] < s.CurrentLevel - 1) p.CompletedLevel[n] = qint16(s.CurrentLevel - 1);
    if (s.ExerciseScore >= p.UpperBound) {
        s.CurrentLevel = qint16(s.CurrentLevel + 1);
        ctx.window.PlaySong(platform::Paths::shareFile(QStringLiteral("done.mid")));
    } else if (s.ExerciseScore < p.LowerBound && s.CurrentLevel > 2) {
        s.CurrentLevel = qint16(s.CurrentLevel - 1);
    }
}

qint64 remainingMs(const ExerciseState& state) {
    return state.TestDeadline + kCountdownPastDeadlineMs - platform::Clock::instance().nowMs();
}

QString countdownText(qint64 ms) {
    const qint64 seconds = ms <= 0 ? 0 : (ms + 999) / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600 % 100, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void Timer1_Timer(LessonContext& ctx) {
    ExerciseState& s = ctx.state;
    if (ctx.frame.Timer1 && !ctx.frame.Timer1->isActive()) return;
    const qint64 left = remainingMs(s);
    if (ctx.frame.lblTime) ctx.frame.lblTime->setText(countdownText(left));
    if (left > 0 || s.QuestionSounding) return;
    if (ctx.frame.Timer1) ctx.frame.Timer1->stop();
    dialogs().messageBox(QStringLiteral("Sorry. you ran out of time."), platform::Exclamation,
                         QStringLiteral("Timeout"), ctx.window.owner());
    DoScore(ctx);
}

int practiceBlinkImage(int& step) {
    step += 1;
    if (step <= 0) return 4;
    if (step == 1) return 5;
    if (step == 2) return 6;
    step = -1;
    return 5;
}

} // namespace lessons
