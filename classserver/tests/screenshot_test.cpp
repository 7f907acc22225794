// Pictures of the class server on a real X display (Xvfb), written to test-output/:
// hallbrin_roster.png (the main window with a populated roster), hallbrin_class_list.png and
// hallbrin_product_list.png (the list of a class and of a product), hallbrin_class_editor.png,
// hallbrin_report.png (the score report's preview) and hallbrin_connections.png.
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>

#include "classserver/catalogue.h"
#include "classserver/frmclass.h"
#include "classserver/frmconnections.h"
#include "common/report/reportpreview.h"
#include "fakeclient.h"
#include "screenshots.h"
#include "testoutput.h"
#include "windowfixture.h"

using namespace classserver;
using namespace testsupport;

namespace {

// The screen where the window stands, saved; false when it looks blank.
bool shoot(QWidget* window, const QString& name, int minColours = 12) {
    settle(300);
    const QImage screen = window->screen()->grabWindow(0).toImage();
    const QImage picture = screen.copy(window->frameGeometry());
    picture.save(testOutputPath(name));
    const int variety = colourVariety(picture);
    EXPECT_GE(variety, minColours) << name.toStdString() << " looks blank";
    return variety >= minColours;
}

class Screenshot : public WindowFixture {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a real X display (run under xvfb-run)";
        WindowFixture::SetUp();
        execSql(db, "UPDATE Class SET ClassName = 'Strings', ClassYear = '2024', Grade = '5', Educator = 'Ms Lind' "
                    "WHERE ClassID = 14");
        execSql(db, "UPDATE Class SET ClassName = 'Winds', ClassYear = '2024', Grade = '6', Educator = 'Mr Okafor' "
                    "WHERE ClassID = 15");
        const struct { const char* name; const char* computer; int cls; } people[] = {
            {"Ann Lindqvist", "LAB-01", 14}, {"Ben Osei", "LAB-02", 14},   {"Cara Mendes", "LAB-03", 14},
            {"Dev Patel", "LAB-04", 14},     {"Eli Novak", "LAB-05", 15},  {"Fay Chen", "LAB-06", 15},
            {"Gus Moreau", "LAB-07", 11},    {"Hana Sato", "LAB-08", 11},  {"Ivo Horvat", "LAB-09", 0},
        };
        int seed = 0;
        for (const auto& p : people) {
            const qint64 id = addStudent(db, p.name, p.computer, p.cls, QString("pw%1").arg(++seed));
            const bool second = p.cls < 11;
            const int lessons = second ? 6 : 7;
            for (int k = 1; k <= lessons; ++k) {
                const int exercises = second ? 9 : (k == 2 ? 12 : (k == 1 ? 9 : 8));
                const int done = (seed * 3 + k * 5) % (exercises + 2);
                addLesson(db, id, {k, LessonCatalogue::instance().entry(second ? Product::Sopranel : Product::Tonvale, k).name,
                                   second ? "Beginner" : "Incremental", exercises, 1 + (seed + k) % 5,
                                   40 + (seed * 7 + k * 11) % 60, done, (seed + k) % 6});
            }
        }
        w->move(0, 0);
        w->resize(1000, 640);
        w->show();
        w->UpdateTreeView();
        w->today = [] { return QDate(2024, 10, 7); };
    }
};

} // namespace

TEST_F(Screenshot, MainWindowWithARoster) {
    select("Ann LindqvistLAB-01014");
    ASSERT_TRUE(w->tvwLesson->isVisible());
    ASSERT_TRUE(w->lvwLesson->isVisible());
    ASSERT_EQ(w->lvwLesson->topLevelItemCount(), 7);
    w->statusBar()->showMessage("Refresh: 8 of 9 programs answered; 8 players imported; no answer from LAB-09.");
    shoot(w.get(), "hallbrin_roster.png", 30);
    select("Class 14");
    shoot(w.get(), "hallbrin_class_list.png", 20);
    select("Prod2");
    ASSERT_EQ(w->lvwLesson->topLevelItemCount(), 11);
    shoot(w.get(), "hallbrin_product_list.png", 20);
}

TEST_F(Screenshot, ClassEditor) {
    select("Class 14");
    bool shown = false;
    dialogs.modalHandlers["frmClass"] = [&](QDialog& d) {
        auto& dlg = static_cast<FrmClass&>(d);
        dlg.show();
        dlg.move(w->frameGeometry().center() - QPoint(dlg.width() / 2, dlg.height() / 2));
        settle(200);
        EXPECT_TRUE(dlg.txtClassName->isVisible());
        EXPECT_TRUE(dlg.cmdUpdate->isVisible());
        EXPECT_EQ(dlg.txtEducator->text(), "Ms Lind");
        shown = shoot(&dlg, "hallbrin_class_editor.png");
        dlg.cmdCancel->click();
        return dlg.result();
    };
    w->mnuEditEdit->trigger();
    EXPECT_TRUE(shown);
}

TEST_F(Screenshot, ReportPreview) {
    select("Class 14");
    w->mnuViewReport->trigger();
    common::ReportPreview* preview = w->rptStudentScores;
    ASSERT_NE(preview, nullptr);
    preview->move(40, 20);
    preview->resize(900, 980);
    settle(300);
    ASSERT_TRUE(preview->isVisible());
    ASSERT_TRUE(preview->preview->isVisible());
    ASSERT_TRUE(preview->cmdExportPdf->isVisible());
    shoot(preview, "hallbrin_report.png", 20);
}

TEST_F(Screenshot, ConnectionsView) {
    FakeClient lab1(w->listeningPort()), lab5(w->listeningPort());
    lab1.onRequest = [](FakeClient& c, const QString& cmd) {
        if (cmd == "@@COMPUTERNAME") c.send("@@COMPUTERNAME:>LAB-01\r\n");
    };
    lab5.onRequest = [](FakeClient& c, const QString& cmd) {
        if (cmd == "@@COMPUTERNAME") c.send("@@COMPUTERNAME:>LAB-05\r\n");
    };
    ASSERT_TRUE(waitUntil([&] { return w->server().clientCount() == 2; }));
    bool shown = false;
    dialogs.modalHandlers["frmConnections"] = [&](QDialog& d) {
        auto& dlg = static_cast<FrmConnections&>(d);
        dlg.show();
        dlg.move(w->frameGeometry().center() - QPoint(dlg.width() / 2, dlg.height() / 2));
        EXPECT_TRUE(waitUntil([&] { return !dlg.isAsking(); }));
        EXPECT_EQ(dlg.row("LAB-01")->text(1), "Connected");
        EXPECT_TRUE(dlg.lvwConnections->isVisible());
        shown = shoot(&dlg, "hallbrin_connections.png");
        dlg.cmdOK->click();
        return dlg.result();
    };
    w->mnuViewConnections->trigger();
    EXPECT_TRUE(shown);
}
