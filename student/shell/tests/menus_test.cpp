// The menu bar and toolbar: the tree with its captions, the toolbar's buttons and keys, and
// the MIDI menu built from the output devices.
#include "shelltestsupport.h"

#include "student/shell/menus.h"

#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace shell {
namespace {

using testing::ShellTest;

TEST(Menus, TreeAndCaptions) {
    QMenuBar bar;
    MainMenus menus(&bar);
    const std::pair<const char*, const char*> expected[] = {
        {"mnuFile", "&File"},
        {"mnuGamePlayer", "Select &Player..."},
        {"mnuChangePassword", "&Change Password..."},
        {"mnuExport", "&Export Player..."},
        {"mnuImport", "&Import Player..."},
        {"mnuFileExit", "E&xit"},
        {"mnuView", "&View"},
        {"mnuViewAccidentals", "&Accidentals"},
        {"mnuViewCadence", "&Cadence"},
        {"mnuViewIntervals", "&Intervals"},
        {"mnuInversion", "In&versions"},
        {"mnuViewNoteSymbols", "&Note Symbols"},
        {"mnuViewMisc", "&Miscellaneous"},
        {"mnuViewRests", "&Rest Symbols"},
        {"mnuViewTime", "Time &Signature"},
        {"mnuPiano", "&Piano Keyboard"},
        {"mnuDrum", "&Drum"},
        {"mnuViewReport", "R&eport"},
        {"mnuGame", "&Lesson"},
        {"mnuGameNewLesson", "&New Lesson"},
        {"mnuGameRestart", "&Restart Lesson"},
        {"mnuOption", "&Options"},
        {"mnuBounds", "&Score Settings..."},
        {"mnuPracticeMode", "&Practice Mode"},
        {"mnuTerms", "&Interval Terminology"},
        {"mnuIntervalTerm(1)", "+, -, &x, o"},
        {"mnuIntervalTerm(2)", "&M, m, A, d"},
        {"mnuIntervalTerm(3)", "maj, min, &aug, dim"},
        {"mnuConfigure", "&Configure"},
        {"mnuConfigNetwork", "&Network"},
        {"mnuConfigReport", "&Customize Report"},
        {"mnuMIDI", "&MIDI"},
        {"mnuDevice(0)", "&MIDI Mapper"},
        {"mnuHelp", "&Help"},
        {"mnuHelpContent", "&Help Contents..."},
        {"mnuAbout", "&About..."},
    };
    QStringList names;
    for (const auto& e : expected) names << QString::fromLatin1(e.first);
    EXPECT_EQ(menus.itemNames(), names);
    for (const auto& e : expected) {
        const QString name = QString::fromLatin1(e.first);
        QAction* a = nullptr;
        if (name.startsWith("mnuIntervalTerm(")) a = menus.intervalTerm(name.mid(16, 1).toInt());
        else if (name.startsWith("mnuDevice(")) a = menus.device(0);
        else a = menus.item(name);
        ASSERT_NE(a, nullptr) << e.first;
        EXPECT_EQ(a->text(), QString::fromLatin1(e.second)) << e.first;
    }
    // The top-level menus stand in this order on the bar.
    QStringList top;
    for (QAction* a : bar.actions()) top << a->objectName();
    EXPECT_EQ(top, (QStringList{"mnuFile", "mnuView", "mnuGame", "mnuOption", "mnuConfigure", "mnuMIDI", "mnuHelp"}));
    // Separators sit where the tree has them.
    QStringList file;
    for (QAction* a : menus.menu("mnuFile")->actions()) file << (a->isSeparator() ? "-" : a->objectName());
    EXPECT_EQ(file, (QStringList{"mnuGamePlayer", "mnuChangePassword", "-", "mnuExport", "mnuImport", "-", "mnuFileExit"}));
}

TEST(Menus, ToolbarButtonsByPositionAndKey) {
    QToolBar bar;
    MainToolbar toolbar(&bar);
    ASSERT_EQ(toolbar.count(), 9);
    const std::pair<int, const char*> keys[] = {{1, "User"}, {2, "New"}, {4, "Practice"},
                                                {6, "Report"}, {8, "Piano"}, {9, "Drum"}};
    for (const auto& k : keys) {
        ASSERT_NE(toolbar.button(k.first), nullptr);
        EXPECT_EQ(toolbar.button(k.first)->objectName(), QString::fromLatin1(k.second));
        EXPECT_EQ(toolbar.buttonByKey(QString::fromLatin1(k.second)), toolbar.button(k.first));
    }
    for (int sep : {3, 5, 7}) EXPECT_TRUE(toolbar.button(sep)->isSeparator()) << sep;
    EXPECT_EQ(toolbar.button(1)->toolTip(), "New Player");
    EXPECT_EQ(toolbar.button(2)->toolTip(), "New Lesson");
    EXPECT_EQ(toolbar.button(4)->toolTip(), "Practice");
    EXPECT_EQ(toolbar.button(6)->toolTip(), "Report");
    EXPECT_EQ(toolbar.button(8)->toolTip(), "Piano Keyboard");
    EXPECT_EQ(toolbar.button(9)->toolTip(), "Drum");
    EXPECT_EQ(toolbar.button(0), nullptr);
    EXPECT_EQ(toolbar.button(10), nullptr);

    QStringList clicked;
    QObject::connect(&toolbar, &MainToolbar::buttonClick, [&clicked](const QString& key) { clicked << key; });
    toolbar.button(4)->trigger();
    toolbar.button(9)->trigger();
    EXPECT_EQ(clicked, (QStringList{"Practice", "Drum"}));
}

struct DeviceCase {
    int devices;
};

class DeviceMenuTest : public ShellTest, public ::testing::WithParamInterface<DeviceCase> {};

TEST_P(DeviceMenuTest, OneItemPerOutputAfterTheMapper) {
    QStringList outputs;
    for (int i = 0; i < GetParam().devices; ++i) outputs << QString("Synth port %1").arg(i);
    midi_.setOutputs(outputs);
    auto frm = loadedWindow();
    MainMenus& menus = *frm->menus();
    ASSERT_EQ(menus.deviceCount(), GetParam().devices + 1);
    EXPECT_EQ(menus.device(0)->text(), "&MIDI Mapper");
    for (int i = 0; i < GetParam().devices; ++i) {
        QAction* item = menus.device(i + 1);
        EXPECT_EQ(item->iconText(), outputs[i]);
        EXPECT_TRUE(item->isVisible());
        EXPECT_TRUE(item->isEnabled());
        EXPECT_FALSE(item->isChecked());
    }
    EXPECT_TRUE(menus.device(0)->isChecked());
    EXPECT_EQ(menus.menu("mnuMIDI")->actions().size(), GetParam().devices + 1);
    // The load opened the mapper.
    ASSERT_FALSE(midi_.log().empty());
    EXPECT_EQ(midi_.log().front().kind, platform::MidiLogEntry::Open);
    EXPECT_EQ(midi_.log().front().deviceId, -1);
    EXPECT_EQ(midi_.openConnections(), 1);

    // Choosing the last item opens its device and moves the check mark.
    const int last = GetParam().devices;
    menus.device(last)->trigger();
    for (int i = 0; i <= last; ++i) EXPECT_EQ(menus.device(i)->isChecked(), i == last) << i;
    EXPECT_EQ(midi_.log().back().kind, platform::MidiLogEntry::Open);
    EXPECT_EQ(midi_.log().back().deviceId, last - 1);
    EXPECT_EQ(midi_.openConnections(), 1);
}

INSTANTIATE_TEST_SUITE_P(NoneOneTwelve, DeviceMenuTest,
                         ::testing::Values(DeviceCase{0}, DeviceCase{1}, DeviceCase{12}),
                         [](const auto& info) { return QString("Devices%1").arg(info.param.devices).toStdString(); });

} // namespace
} // namespace shell
