#include "mainwindow.h"

#include "about.h"
#include "pictures.h"

#include "common/basic.h"
#include "common/storedtext/storedtext.h"
#include "music/framework/classregistry.h"
#include "music/framework/dispatch.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "student/lessons/lessoncatalogue.h"
#include "student/lessons/menurules.h"
#include "student/shell/profile/passworddialog.h"
#include "student/shell/profile/playerdialog.h"
#include "student/shell/profile/playersession.h"
#include "student/shell/profile/profilestore.h"
#include "student/shell/classlink/classlinkclient.h"
#include "student/shell/classlink/frmconfig.h"
#include "portsound.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>

#include <optional>

namespace shell {

namespace {

tonvale::PlayerSession& session() { return tonvale::PlayerSession::instance(); }

// Design-time sizes (twips) of the controls the layout does not compute.
constexpr double kScrollBarThickness = 255;
constexpr double kScoreFrameHeight = 1215;
constexpr double kButtonWidth = 1215, kButtonHeight = 375;
constexpr double kListLeft = 120, kListTop = 480;
constexpr double kPictureButton = 495;
// Status bar panel 1 holds the connection picture.
constexpr double kStatusPictureWidth = 220;


using OptTwips = std::optional<double>;

// Places a widget by twips; an empty value leaves that edge or size as it was.
void placeTwips(QWidget* w, OptTwips left, OptTwips top, OptTwips width = {}, OptTwips height = {}) {
    if (!w) return;
    QRect r = w->geometry();
    if (left) r.moveLeft(toPixels(*left));
    if (top) r.moveTop(toPixels(*top));
    if (width) r.setWidth(qMax(0, toPixels(*width)));
    if (height) r.setHeight(qMax(0, toPixels(*height)));
    w->setGeometry(r);
}

void put(QObject* o, const char* name, const QVariant& value) {
    if (o) music::dispPut(o, QString::fromLatin1(name), value);
}

QFont pointFont(const QFont& base, int points, bool bold = false) {
    QFont f = base;
    f.setPixelSize(points * 96 / 72);
    f.setBold(bold);
    return f;
}

QWidget* createElement(const QString& progId, QWidget* parent) {
    QObject* o = music::ClassRegistry::instance().createObject(progId, parent);
    QWidget* w = qobject_cast<QWidget*>(o);
    if (o && !w) delete o;
    if (w) w->hide();
    return w;
}

common::ControlArray<QWidget>::Factory elementFactory(const QString& progId) {
    return [progId](QWidget* parent) { return createElement(progId, parent); };
}

template <class T>
T* hiddenChild(QWidget* parent, const QString& name) {
    T* w = new T(parent);
    w->setObjectName(name);
    w->hide();
    return w;
}

} // namespace

KeyTables& keyTables() {
    static KeyTables tables;
    return tables;
}

NotationArrays::NotationArrays(QWidget* parent)
    : StaffLines(createElement("Music.Staff", parent), elementFactory("Music.Staff")),
      StaffLines2(createElement("Music.Staff", parent), elementFactory("Music.Staff")),
      ClefSymbol(createElement("Music.Clef", parent), elementFactory("Music.Clef")),
      ClefSymbol2(createElement("Music.Clef", parent), elementFactory("Music.Clef")),
      NoteSymbol(createElement("Music.Note", parent), elementFactory("Music.Note")),
      KeySign(createElement("Music.Accidental", parent), elementFactory("Music.Accidental")),
      tmMeter(createElement("Music.Time", parent), elementFactory("Music.Time")),
      Bar(createElement("Music.BarLine", parent), elementFactory("Music.BarLine")),
      PhraseMark(createElement("Music.Phrase", parent), elementFactory("Music.Phrase")),
      BeamFlag(createElement("Music.Beam", parent), elementFactory("Music.Beam")),
      ChordSymbol(createElement("Music.MusicKey", parent), elementFactory("Music.MusicKey")),
      ChordRoman(createElement("Music.MusicKey", parent), elementFactory("Music.MusicKey")),
      AccidentalSymbol(createElement("Music.Accidental", parent), elementFactory("Music.Accidental")),
      BarFine(createElement("Music.BarLine", parent)),
      lblAs(hiddenChild<QLabel>(parent, "lblAs"), [](QWidget* p) { return new QLabel(p); }),
      lblLetter(hiddenChild<QLabel>(parent, "lblLetter"), [](QWidget* p) { return new QLabel(p); }),
      lblLetter2(hiddenChild<QLabel>(parent, "lblLetter2"), [](QWidget* p) { return new QLabel(p); }),
      lblMusic(hiddenChild<QLabel>(parent, "lblMusic"), [](QWidget* p) { return new QLabel(p); }),
      cmdSpeaker(hiddenChild<QPushButton>(parent, "cmdSpeaker"), [](QWidget* p) { return new QPushButton(p); }),
      LineBase(hiddenChild<LineControl>(parent, "LineBase"), [](QWidget* p) { return new LineControl(p); }),
      lnLeger(hiddenChild<LineControl>(parent, "lnLeger"), [](QWidget* p) { return new LineControl(p); }),
      lnThird(hiddenChild<LineControl>(parent, "lnThird"), [](QWidget* p) { return new LineControl(p); }),
      lblPunc(hiddenChild<QLabel>(parent, "lblPunc")) {
    // Design-time values of templates whose size and offsets the lessons never set; every
    // element loaded from them inherits these. Staff lines are 10 px apart and the music
    // font puts every glyph's reference line 48 px below its cell top.
    //
    // Clefs stand with their cell top 270 twips (18 px) above the top line (treble) or
    // 415 twips above it (percussion); a treble clef's ink runs from 14 px above the top
    // line to 16 px below the bottom line and is 26 px wide, so 600 x 1500 twips holds
    // every clef whole.
    for (QWidget* clef : {ClefSymbol[0], ClefSymbol2[0]}) placeTwips(clef, {}, {}, 600, 1500);
    // Time signatures: the figures run from 7 to 47 px below the element's top (on a staff
    // its top is 350 twips below the staff's, the top line 450) and are 16 px wide each. The
    // melody lesson puts the time signature 100 twips (6 px once floored) right of the
    // treble clef's left edge and the rhythm-writing lesson 60 twips left of the percussion
    // clef, so the figures are drawn 25 px into the element: past the treble clef's 26 px
    // with half a staff space between. The rhythm-playing lesson leaves 1200 twips (80 px)
    // for the time signature before its first note, which this keeps. 900 twips hold two
    // figures ("12") after that offset; 750 twips (50 px) hold the figures whole, and put
    // them 4 px above the answer line on which the time-signature lesson stands the element
    // with its bottom 15 twips above the line.
    placeTwips(tmMeter[0], {}, {}, 900, 750);
    put(tmMeter[0], "MetreLeft", 25);
    // The editor loads its key-signature accidentals as lone accidentals 495 twips (33 px)
    // tall with their top 290 twips above the clicked line or space, which floors to 20 px:
    // the glyph's reference line must come 20 px below the top, so KeyTop = 20 - 48.
    put(KeySign[0], "KeyTop", -28);
    // The speaker buttons are placed from their template: 5000 twips left and 1000 up in the
    // item lessons (plus 3000 a column, 1000 a row), whose answer lines run from 800 to
    // 3000 (plus the same) at 1600 (plus 1000 a row); 8100 left and 2000 up in the melody
    // and rhythm-writing lessons. From (8100, 2100) and 495 twips square, an item's speaker
    // stands 100 twips after the end of its own answer line (205 before the next one) with
    // its bottom on the line, and the staff lessons' speaker at the top left corner of the
    // lesson area, above the clef.
    if (QPushButton* speaker = cmdSpeaker[0]) {
        placeTwips(speaker, 8100, 2100, 495, 495);
        speaker->setIcon(parent->style()->standardIcon(QStyle::SP_MediaVolume));
    }
}

// ---- Form_Initialize ----------------------------------------------------------------------

FrmTonvale::FrmTonvale(SoundSeam* sound, QWidget* parent)
    : QMainWindow(parent), sound_(sound) {
    if (!sound_) {
        ownSound_ = std::make_unique<PortSound>();
        sound_ = ownSound_.get();
    }
    setObjectName("frmTonvale");
    setWindowTitle(kMainCaption);
    buildControls();

    KeyTables& t = keyTables();
    t.SharpPositions = {0, 0, 3, -1, 2, 5, 1, 4};
    t.SharpSteps = {0, 3, 0, 4, 1, 5, 2, 6};
    t.FlatPositions = {0, 4, 1, 5, 2, 6, 3, 7};
    t.FlatSteps = {0, 6, 2, 5, 1, 4, 0, 3};
    SelectedLessonRow = 1;
    session().PracticeMode = false;
    menus_->item("mnuPracticeMode")->setChecked(false);
    HScroll1->raise();
    for (int lesson = 1; lesson <= lessons::kLessonCount; ++lesson)
        session().LessonProgress[5][lesson] = QString::number(lessons::lessonInfo(lesson).exercises);

    tonvale::MainWindowSeam::setInstance(this);
}

FrmTonvale::~FrmTonvale() {
    if (loaded_ && !unloaded_) Form_Unload();
    if (&tonvale::MainWindowSeam::instance() == this) tonvale::MainWindowSeam::setInstance(nullptr);
}

void FrmTonvale::buildControls() {
    menus_ = new MainMenus(menuBar(), this);
    connect(menus_, &MainMenus::command, this, &FrmTonvale::onMenuCommand);

    client_ = new QWidget(this);
    client_->setObjectName("client");
    setCentralWidget(client_);

    Frame1 = new QWidget(client_);
    Frame1->setObjectName("Frame1");
    placeTwips(Frame1, 0, 0, kCanvasMinWidth, kCanvasMinHeight);

    auto* bar = new QToolBar(client_);
    toolbar_ = new MainToolbar(bar, this);
    connect(toolbar_, &MainToolbar::buttonClick, this, &FrmTonvale::Toolbar_ButtonClick);
    bar->setGeometry(0, 0, toPixels(kCanvasMinWidth), bar->sizeHint().height());
    const double toolbarHeight = toTwips(bar->height());

    HScroll1 = new QScrollBar(Qt::Horizontal, client_);
    HScroll1->setObjectName("HScroll1");
    placeTwips(HScroll1, 0, 0, 3000, kScrollBarThickness);
    VScroll1 = new QScrollBar(Qt::Vertical, client_);
    VScroll1->setObjectName("VScroll1");
    placeTwips(VScroll1, 0, toolbarHeight, kScrollBarThickness, 3000);
    connect(HScroll1, &QScrollBar::valueChanged, this, &FrmTonvale::HScroll1_Change);
    connect(VScroll1, &QScrollBar::valueChanged, this, &FrmTonvale::VScroll1_Change);

    // The lesson area: the lesson list and its right-hand column, and the exercises.
    fraLesson0 = new QFrame(Frame1);
    fraLesson0->setObjectName("fraLesson");
    placeTwips(fraLesson0, 0, toolbarHeight + 20, kNarrowFrameWidth, 7000);

    lblPlayer = new QLabel("Player:", fraLesson0);
    lblPlayer->setObjectName("lblPlayer");
    placeTwips(lblPlayer, kListLeft, 120, 900, 300);
    lblPlayerName = new QLabel(fraLesson0);
    lblPlayerName->setObjectName("lblPlayerName");
    lblPlayerName->setFont(pointFont(lblPlayerName->font(), 10, true));
    placeTwips(lblPlayerName, kListLeft + 900, 90, 6000, 330);

    lvwLesson = new QTreeWidget(fraLesson0);
    lvwLesson->setObjectName("lvwLesson");
    lvwLesson->setRootIsDecorated(false);
    lvwLesson->setUniformRowHeights(true);
    lvwLesson->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwLesson->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvwLesson->setAllColumnsShowFocus(true);
    lvwLesson->header()->setStretchLastSection(false);
    lvwLesson->header()->setSectionsMovable(false);
    placeTwips(lvwLesson, kListLeft, kListTop, 12400, 5910);

    cmdStart = new QPushButton("&Start...", fraLesson0);
    cmdStart->setObjectName("cmdStart");
    placeTwips(cmdStart, kCanvasMinWidth - 1700, kListTop, kButtonWidth, kButtonHeight);
    cmdHelp = new QPushButton("&Help", fraLesson0);
    cmdHelp->setObjectName("cmdHelp");
    placeTwips(cmdHelp, kCanvasMinWidth - 1700, kListTop + 480, kButtonWidth, kButtonHeight);
    connect(cmdStart, &QPushButton::clicked, this, &FrmTonvale::cmdStart_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &FrmTonvale::cmdHelp_Click);
    fraLevels = new QGroupBox(fraLesson0);
    fraLevels->setObjectName("fraLevels");
    placeTwips(fraLevels, kCanvasMinWidth - 1700, kListTop + 1200, kButtonWidth, 1500);
    fraLevels->hide();

    cmdNext = hiddenChild<QPushButton>(fraLesson0, "cmdNext");
    cmdNext->setText(">");
    cmdNext->setToolTip("Next");
    cmdPrevious = hiddenChild<QPushButton>(fraLesson0, "cmdPrevious");
    cmdPrevious->setText("<");
    cmdPrevious->setToolTip("Previous");

    arrays = std::make_unique<NotationArrays>(fraLesson0);

    // The score frame above an exercise; at start it carries the greeting.
    fraScore = new QFrame(Frame1);
    fraScore->setObjectName("fraScore");
    fraScore->setFrameShape(QFrame::StyledPanel);
    placeTwips(fraScore, 0, toolbarHeight + 20, kNarrowFrameWidth, kScoreFrameHeight);

    lblLessonName = new QTextEdit(fraScore);
    lblLessonName->setObjectName("lblLessonName");
    lblLessonName->setReadOnly(true);
    lblLessonName->setFrameShape(QFrame::NoFrame);
    lblLessonName->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lblLessonName->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lblLessonName->viewport()->setAutoFillBackground(false);
    lblLessonName->setFont(pointFont(lblLessonName->font(), 12, true));
    placeTwips(lblLessonName, 120, 45, 7400, 1110);

    auto caption = [this](const QString& text, double left, double top, double width) {
        auto* l = new QLabel(text, fraScore);
        placeTwips(l, left, top, width, 285);
        return l;
    };
    auto value = [this](const QString& name, const QString& text, double left, double top, double width) {
        auto* l = new QLabel(text, fraScore);
        l->setObjectName(name);
        l->setFont(pointFont(l->font(), 10, true));
        placeTwips(l, left, top, width, 330);
        return l;
    };
    caption("Lesson:", 7700, 120, 900);
    lblNumberLesson = value("lblNumberLesson", "0", 8600, 90, 1200);
    caption("Player:", 7700, 600, 900);
    lblUserName = value("lblUserName", "", 8600, 570, 1350);
    caption("Level:", 10000, 120, 900);
    lblLevel = value("lblLevel", "", 10900, 90, 1100);
    caption("Score:", 10000, 600, 900);
    lblScore = value("lblScore", "", 10900, 570, 1100);
    caption("Time:", 12150, 690, 650);
    lblTime = value("lblTime", "00:00:00", 12800, 660, 1300);

    auto pictureButton = [this](const QString& name, const QString& tip, QStyle::StandardPixmap icon, double left) {
        auto* b = new QPushButton(fraScore);
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setIcon(style()->standardIcon(icon));
        placeTwips(b, left, 90, kPictureButton, kPictureButton);
        return b;
    };
    cmdGo = pictureButton("cmdGo", "Start Next Exercise", QStyle::SP_MediaPlay, 12150);
    cmdStop = pictureButton("cmdStop", "Stop Current Exercise", QStyle::SP_MediaStop, 12700);
    cmdHelp2 = pictureButton("cmdHelp2", "Help on this Lesson", QStyle::SP_DialogHelpButton, 13250);
    connect(cmdGo, &QPushButton::clicked, this, [this] { StandIns::run(standIns.cmdGo); });
    connect(cmdStop, &QPushButton::clicked, this, [this] { StandIns::run(standIns.doScore); });
    connect(cmdHelp2, &QPushButton::clicked, this, &FrmTonvale::cmdHelp_Click);

    // Status bar: the connection picture, then its text.
    auto* status = new QStatusBar(this);
    status->setObjectName("StatusBar1");
    statusPicture = new QLabel(status);
    statusPicture->setObjectName("statusPicture");
    statusPicture->setFrameShape(QFrame::Panel);
    statusPicture->setFrameShadow(QFrame::Sunken);
    statusPicture->setAlignment(Qt::AlignCenter);
    statusPicture->setFixedWidth(qMax(toPixels(kStatusPictureWidth), 18));
    statusText = new QLabel(status);
    statusText->setObjectName("statusText");
    statusText->setFrameShape(QFrame::Panel);
    statusText->setFrameShadow(QFrame::Sunken);
    status->addWidget(statusPicture);
    status->addWidget(statusText, 1);
    setStatusBar(status);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, [this] { StandIns::run(standIns.countdownTick); });
    tmrPractice = new QTimer(this);
    tmrPractice->setObjectName("tmrPractice");
    tmrPractice->setInterval(500);
    connect(tmrPractice, &QTimer::timeout, this, [this] { StandIns::run(standIns.practiceBlink); });

    hook_ = new MessageHook([this](HookCommand c) { HandleCopyData(c); }, this);

    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &FrmTonvale::showHelp);

    bar->raise();
    resize(toPixels(15600), toPixels(10500));
}

// ---- Form_Load / Form_Unload ----------------------------------------------------------------

void FrmTonvale::Form_Load(const QString& hookName) {
    HScroll1->setMaximum(100);
    HScroll1->setPageStep(20);
    HScroll1->setSingleStep(5);
    placeTwips(Frame1, 0, {});
    VScroll1->setMaximum(100);
    VScroll1->setPageStep(20);
    VScroll1->setSingleStep(5);
    placeTwips(Frame1, {}, 0, kCanvasMinWidth, kCanvasMinHeight);

    sound_->load();
    menus_->setDevices(sound_->deviceCaptions());
    menus_->checkDevice(sound_->checkedDevice());

    LoadedFlags.clear();
    SelectedLessonRow = 1;

    lvwLesson->setIconSize(QSize(16, 16));
    const QStringList headers = {"Lesson", "Difficulty", "Level", "Completed", "Average", "Attempts"};
    const double widths[] = {toTwips(lvwLesson->width()) - 4800, 1300, 600, 1000, 1000, 1300};
    lvwLesson->setColumnCount(headers.size());
    lvwLesson->setHeaderLabels(headers);
    for (int c = 0; c < headers.size(); ++c) lvwLesson->setColumnWidth(c, qMax(0, toPixels(widths[c])));

    lblScore->setText("0%");
    lblLessonName->setPlainText("Tonvale 1.2\nChoose a Player from the File Menu.");

    SelectFrame(0);
    SetupLessonList();
    UpdateMenu();

    HelpFile = platform::Paths::shareFile("Tonvale.hlp");

    showStatus(false, "Disconnected");
    statusBar()->raise();
    classLink_ = new classlink::ClassLinkClient(this);
    connect(classLink_, &classlink::ClassLinkClient::statusChanged, this, &FrmTonvale::showStatus);
    classLink_->ConnectToServer();

    const QString name = hookName.isEmpty()
        ? hookServerName(QCoreApplication::applicationName(), platform::Paths::dataFolder())
        : hookName;
    hook_->HookMainWindow(name);
    loaded_ = true;
    unloaded_ = false;
}

void FrmTonvale::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    hook_->UnhookMainWindow();
    MidiResult = sound_->CloseMIDI();
    if (classLink_) classLink_->closeConnection();
    Timer1->stop();
    tmrPractice->stop();
    for (const auto& entry : standIns.windows) standIns.unloadWindow(entry.first);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible()) w->close();
}

void FrmTonvale::closeEvent(QCloseEvent* event) {
    if (!ConfirmQuit()) {
        event->ignore();
        return;
    }
    event->accept();
    Form_Unload();
}

bool FrmTonvale::ConfirmQuit() {
    if (!ExerciseRunning) return true;
    const QString& CRLF = common::CRLF;
    const int answer = platform::Dialogs::instance().messageBox(
        "You may lose points if you Quit now." + CRLF + CRLF + "Are you sure you want to quit?",
        platform::YesNoCancel + platform::Question, "Exit", this);
    if (answer != platform::AnsYes) return false;
    StandIns::run(standIns.doScore);
    return true;
}

// ---- Canvas ---------------------------------------------------------------------------------

double FrmTonvale::outerWidth() const { return toTwips(client_->width()) + kOuterExtraWidth; }
double FrmTonvale::outerHeight() const { return toTwips(client_->height()) + kOuterExtraHeight; }

void FrmTonvale::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    toolbar_->bar()->setGeometry(0, 0, client_->width(), toolbar_->bar()->height());
    ArrangeCanvas();
}

void FrmTonvale::ArrangeCanvas() {
    CanvasInput in;
    in.W = outerWidth();
    in.H = outerHeight();
    in.hScrollHeight = toTwips(HScroll1->height());
    in.vScrollWidth = toTwips(VScroll1->width());
    in.fraScoreHeight = toTwips(fraScore->height());
    in.currentLesson = session().CurrentLesson;
    in.vScrollHeight = toTwips(VScroll1->height());
    in.fraLessonHeight = toTwips(fraLesson0->height());
    layout_ = arrangeCanvas(in);
    const CanvasLayout& l = layout_;

    placeTwips(Frame1, l.frameLeft, l.frameTop, l.frameWidth, l.frameHeight);
    placeTwips(VScroll1, l.vScrollLeft, {}, {}, l.vScrollHeight);
    placeTwips(HScroll1, {}, l.hScrollTop, l.hScrollWidth, {});
    if (l.hScrollVisible) {
        HScroll1->setMaximum(l.hScrollMax);
        HScroll1->show();
        HScroll1->update();
    } else {
        HScroll1->hide();
    }
    if (l.vScrollVisible) {
        VScroll1->setMaximum(l.vScrollMax);
        VScroll1->show();
        VScroll1->update();
    } else {
        VScroll1->hide();
    }
    update();
    placeTwips(fraLesson0, {}, {}, l.fraLessonWidth, l.fraLessonHeight);
    placeTwips(fraScore, {}, {}, l.fraScoreWidth, {});
    placeTwips(lvwLesson, {}, {}, l.lessonListWidth, l.lessonListHeight);
    for (QWidget* w : {static_cast<QWidget*>(fraLevels), static_cast<QWidget*>(cmdStart),
                       static_cast<QWidget*>(cmdHelp)})
        placeTwips(w, l.rightColumnLeft, {});
}

void FrmTonvale::HScroll1_Change() {
    placeTwips(Frame1, scrollOffset(HScroll1->value(), layout_.frameWidth ? layout_.frameWidth : toTwips(Frame1->width())), {});
}

void FrmTonvale::VScroll1_Change() {
    placeTwips(Frame1, {}, scrollOffset(VScroll1->value(), layout_.frameHeight ? layout_.frameHeight : toTwips(Frame1->height())));
}

// ---- MIDI -------------------------------------------------------------------------------------

qint32 FrmTonvale::OpenMIDI() { return sound_->OpenMIDI(); }
qint32 FrmTonvale::CloseMIDI() { return sound_->CloseMIDI(); }

void FrmTonvale::mnuDevice_Click(int index) {
    sound_->mnuDevice_Click(index);
    menus_->checkDevice(sound_->checkedDevice());
}

void FrmTonvale::HandleCopyData(HookCommand command) {
    if (command == HookCommand::OpenMidi) OpenMIDI();
    else if (command == HookCommand::CloseMidi) CloseMIDI();
}

void FrmTonvale::showStatus(bool connected, const QString& text) {
    statusPicture->setPixmap(connectPicture(connected ? 0 : 1));
    statusText->setText(text);
}

// ---- Lesson switch ------------------------------------------------------------------------------

namespace {

// The palette items and their windows, in the order the window pass treats them.
struct PaletteWindow { const char* item; const char* window; };
constexpr PaletteWindow kPaletteWindows[] = {
    {"mnuViewAccidentals", "frmFloatingAccidentals"}, {"mnuViewCadence", "frmFloatingCadence"},
    {"mnuViewIntervals", "frmIntervals"},             {"mnuViewMisc", "frmFloatingMisc"},
    {"mnuViewNoteSymbols", "frmFloatingNotes"},       {"mnuViewRests", "frmFloatingRests"},
    {"mnuInversion", "frmInversion"},                 {"mnuViewTime", "frmTime"},
    {"mnuPiano", "frmKeyboard"},                      {"mnuDrum", "frmDrum"},
};

// Screen size the palettes' stored positions were made for (twips).
constexpr double kPaletteScreenWidth = 15360, kPaletteScreenHeight = 11520;

} // namespace

void FrmTonvale::SelectFrame(int lesson) {
    tonvale::PlayerSession& s = session();
    menus_->item("mnuPiano")->setEnabled(false);
    menus_->item("mnuDrum")->setEnabled(false);
    if (s.PlayerName.isEmpty()) {
        fraLesson0->hide();
        return;
    }
    for (int i = arrays->lnLeger.ubound(); i >= 1; --i) arrays->lnLeger.unload(i);
    if (lesson > 0 && !practiceChecked()) {
        const int answer = platform::Dialogs::instance().messageBox(
            "The Practice Mode is deactivated. Continue anyway?", platform::YesNo, "Test Mode", this);
        if (answer == platform::AnsNo) {
            s.CurrentLesson = 0;
            return;
        }
    }
    cmdStop->setEnabled(true);
    DragX = 0;
    DragY = 0;
    sound_->CloseSong();
    TestDeadline = 0;
    lblTime->setText("00:00:00");
    fraLesson0->hide();

    const int leaving = s.CurrentLesson;
    if (leaving >= 1 && leaving <= 7) StandIns::run(standIns.unloadLesson[leaving]);
    s.CurrentLesson = qint16(lesson);

    const double toolbarHeight = toTwips(toolbar_->bar()->height());
    if (lesson == 0) {
        placeTwips(fraLesson0, 0, toolbarHeight + 20);
        fraScore->hide();
    } else {
        placeTwips(fraLesson0, 0, toolbarHeight + 20 + toTwips(fraScore->height()));
        fraScore->show();
        fraScore->update();
    }
    lblNumberLesson->setText(QString::number(lesson));
    lblUserName->setText(lblPlayerName->text());

    ResetFrameControls();
    ArrangeCanvas();

    fraLesson0->show();
    if (lesson == 0) {
        fraLesson0->unsetCursor();
        unsetCursor();
    }
    for (const PaletteWindow& p : kPaletteWindows) menus_->item(p.item)->setChecked(false);

    if (lesson == 0) {
        SetupLessonList();
    } else if (lesson >= 1 && lesson <= 7) {
        StandIns::run(standIns.buildLesson[lesson]);
        // A lesson checks the palettes it enables.
        for (const QString& item : lessons::viewItemsEnabledFor(lesson)) menus_->item(item)->setChecked(true);
        if (lesson == 2) menus_->item("mnuPiano")->setEnabled(true);
        if (lesson == 4 || lesson == 7) {
            menus_->item("mnuDrum")->setEnabled(true);
            standIns.showWindow("frmDrum", this);
        }
    }
    StandIns::run(standIns.setupAnswerPalettes);

    QScreen* screen = this->screen();
    const QSize screenSize = screen ? screen->size() : QSize(1024, 768);
    for (const PaletteWindow& p : kPaletteWindows) {
        const bool checked = menus_->item(p.item)->isChecked();
        const bool visible = standIns.windowVisible(p.window);
        if (checked && !visible) {
            // Palettes were placed for a 1024 x 768 screen; on a smaller one they move in.
            const double screenW = toTwips(screenSize.width()), screenH = toTwips(screenSize.height());
            auto it = standIns.windows.find(p.window);
            if (it != standIns.windows.end() && it->second.moveBy) {
                if (screenH < kPaletteScreenHeight) it->second.moveBy(0, -(kPaletteScreenHeight - screenH));
                if (screenW < kPaletteScreenWidth) it->second.moveBy(-(kPaletteScreenWidth - screenW), 0);
            }
            standIns.showWindow(p.window, this);
        } else if (!checked && visible) {
            standIns.unloadWindow(p.window);
        }
    }
    UpdateViewMenus();
    UpdateMenu();
}

void FrmTonvale::UpdateViewMenus() {
    for (const QString& item : lessons::viewPaletteItems()) menus_->item(item)->setEnabled(false);
    for (const QString& item : lessons::viewItemsEnabledFor(session().CurrentLesson))
        menus_->item(item)->setEnabled(true);
}

void FrmTonvale::UpdateMenu() {
    const tonvale::PlayerSession& s = session();
    lessons::MenuFacts facts;
    facts.playerChosen = !s.PlayerName.isEmpty();
    facts.exerciseRunning = ExerciseRunning;
    facts.currentLesson = s.CurrentLesson;
    const lessons::MenuState m = lessons::menuStateFor(facts);
    menus_->item("mnuGame")->setEnabled(m.mnuGame);
    menus_->item("mnuGamePlayer")->setEnabled(m.mnuGamePlayer);
    menus_->item("mnuExport")->setEnabled(m.mnuExport);
    menus_->item("mnuImport")->setEnabled(m.mnuImport);
    menus_->item("mnuOption")->setEnabled(m.mnuOption);
    menus_->item("mnuChangePassword")->setEnabled(m.mnuChangePassword);
    if (m.lessonAreaHidden) fraLesson0->hide();
    for (const lessons::ToolbarMirror& mirror : lessons::kToolbarMirrors)
        toolbar_->button(mirror.button)->setEnabled(menus_->item(QString::fromLatin1(mirror.menuItem))->isEnabled());
    ArrangeCanvas();
}

void FrmTonvale::SetupLessonList() {
    tonvale::PlayerSession& s = session();
    TestDeadline = 0;
    cmdGo->setEnabled(false);
    cmdStop->setEnabled(false);
    lblPlayerName->setText(s.PlayerName);
    lvwLesson->clear();

    lessonList_.setup(s, tonvale::ProfileStore::profilePath());
    menus_->item("mnuPracticeMode")->setChecked(s.PracticeMode);

    for (int i = 1; i <= lessons::kLessonCount; ++i) {
        const lessons::LessonRow& row = lessonList_.rows()[i];
        auto* item = new QTreeWidgetItem(lvwLesson);
        item->setText(0, row.title);
        item->setIcon(0, lessonIcon(row.icon));
        item->setText(1, row.difficulty);
        item->setText(2, row.level);
        item->setText(3, row.completed);
        item->setText(4, row.average);
        item->setText(5, row.attempts);
        // The marks show progress; the student cannot change them.
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
    }
    if (SelectedLessonRow >= 1 && SelectedLessonRow <= lvwLesson->topLevelItemCount()) {
        QTreeWidgetItem* selected = lvwLesson->topLevelItem(SelectedLessonRow - 1);
        lvwLesson->setCurrentItem(selected);
        selected->setSelected(true);
    }
    lvwLesson->show();

    setPracticeIndicator();
    if (s.IntervalStyle >= 1 && s.IntervalStyle <= 3 && standIns.setIntervalImages)
        standIns.setIntervalImages(s.IntervalStyle);
    for (int i = 1; i <= 3; ++i) menus_->intervalTerm(i)->setChecked(i == s.IntervalStyle);
}

void FrmTonvale::setPracticeIndicator() {
    if (practiceChecked()) {
        toolbar_->setPracticeImage(ImgPracticeOn);
        tmrPractice->start();
    } else {
        toolbar_->setPracticeImage(ImgPracticeOff);
        tmrPractice->stop();
    }
}

bool FrmTonvale::practiceChecked() const { return menus_->item("mnuPracticeMode")->isChecked(); }

void FrmTonvale::ResetFrameControls() {
    NotationArrays& a = *arrays;
    for (QWidget* w : {static_cast<QWidget*>(cmdNext), static_cast<QWidget*>(cmdPrevious),
                       static_cast<QWidget*>(lvwLesson), static_cast<QWidget*>(lblPlayer),
                       static_cast<QWidget*>(lblPlayerName), static_cast<QWidget*>(cmdStart),
                       static_cast<QWidget*>(cmdHelp), static_cast<QWidget*>(fraLevels)})
        w->hide();

    for (QWidget* w : {a.StaffLines[0], a.ClefSymbol[0], a.StaffLines2[0], a.ClefSymbol2[0], a.BarFine})
        if (w) w->hide();
    put(a.ClefSymbol[0], "Clef", 0);

    QWidget* note = a.NoteSymbol[0];
    put(note, "DotsNumberOf", 0);
    put(note, "ForeColor", 0);
    put(note, "AccidentalName", 0);
    put(note, "StemLength", -10);
    if (QLabel* as = a.lblAs[0]) as->setFont(pointFont(as->font(), 12));
    placeTwips(a.BarFine, {}, {}, {}, 615);
    QWidget* bar = a.Bar[0];
    placeTwips(bar, {}, {}, 75, 615);
    if (bar) bar->hide();
    put(bar, "BreakBar", true);
    put(a.tmMeter[0], "Pulses", 3);
    put(a.tmMeter[0], "NoteValue", 2);
    QWidget* chord = a.ChordSymbol[0];
    placeTwips(chord, {}, {}, 2235, {});
    put(chord, "ForcedKey", 0);
    put(chord, "OffsetModeName", -3);
    put(chord, "ChordLeft", 0);
    QWidget* roman = a.ChordRoman[0];
    placeTwips(roman, {}, {}, 345, {});
    put(roman, "OffsetModeName", 0);
    put(roman, "ChordLeft", 3);
    put(roman, "ChordDisplay", 1);
    for (QLabel* l : {a.lblLetter[0], a.lblLetter2[0], a.lblMusic[0]})
        if (l) l->setFont(pointFont(l->font(), 12, true));

    // The bar-line collections start empty.
    for (QWidget* w : {bar, a.BarFine}) {
        if (!w) continue;
        const int count = music::dispGet(w, "Count").toInt();
        for (int i = count; i >= 1; --i) music::dispCall(w, "Remove", {i});
    }

    const int lesson = session().CurrentLesson;
    if (lesson == 0) {
        placeTwips(lvwLesson, {}, {}, 12400, 5910);
        for (QWidget* w : {static_cast<QWidget*>(lvwLesson), static_cast<QWidget*>(lblPlayer),
                           static_cast<QWidget*>(lblPlayerName), static_cast<QWidget*>(cmdStart),
                           static_cast<QWidget*>(cmdHelp)})
            w->show();
        return;
    }
    if (lesson != 2 && lesson != 4 && lesson != 7) return;

    QWidget* staff = a.StaffLines[0];
    placeTwips(staff, 120, 465, 1800, 1995);
    put(staff, "LineTop", 30);
    put(staff, "LineLeft", 0);
    put(staff, "LineWidth", 150);
    put(staff, "LineNumbers", 5);
    placeTwips(note, 1370, 495, 550, 1760);
    put(note, "Note", 0);
    put(note, "NoteTop", 20);
    put(note, "NoteLeft", 15);
    put(note, "AccidentalOffset", 0);
    if (QLabel* as = a.lblAs[0]) {
        placeTwips(as, 200, 2070, 660, 330);
        as->setFont(pointFont(as->font(), 12));
    }
    if (QLabel* letter = a.lblLetter[0]) {
        placeTwips(letter, 1020, 400, 660, 330);
        letter->setFont(pointFont(letter->font(), 12, true));
    }
    placeTwips(bar, 2435, 930, {}, 8500);
    placeTwips(a.ClefSymbol[0], 285, 645);
    placeTwips(chord, 2300, 2070);
    put(chord, "ChordDisplay", 0);
    put(chord, "ForcedKey", -1);
    placeTwips(roman, 770, 2070, 1500, 300);
    put(roman, "ChordLeft", 0);
    put(roman, "ChordTop", -5);
    put(roman, "ChordDisplay", 2);
    if (QLabel* music = a.lblMusic[0]) {
        placeTwips(music, 1500, 2070);
        music->setFont(pointFont(music->font(), 12, true));
    }
    placeTwips(a.KeySign[0], {}, {}, 135, 495);
    put(a.KeySign[0], "KeyMode", 0);
    placeTwips(a.lblPunc, 550, 2100);
    placeTwips(a.AccidentalSymbol[0], 1500, 1900);
    placeTwips(a.BeamFlag[0], {}, {}, 1500, 450);
    if (LineControl* base = a.LineBase[0]) base->setEnds(2300, 2300, 3775, 2300);
    if (LineControl* leger = a.lnLeger[0]) leger->setEnds(1000, 2300, 2500, 2300);
    if (LineControl* third = a.lnThird[0]) {
        third->setY1(2300);
        third->setY2(2300);
    }
}

void FrmTonvale::cmdStart_Click() {
    for (int row = 1; row <= lvwLesson->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = lvwLesson->topLevelItem(row - 1);
        if (!item->isSelected()) continue;
        const auto level = basic::CInt(basic::Val(item->text(2)) + 1);
        session().CurrentLevel = level ? *level : 2;
        lblLessonName->setPlainText(item->text(0));
        const int lesson = int(basic::Val(item->text(0)));
        SelectFrame(lesson);
        SelectedLessonRow = row;
        return;
    }
}

void FrmTonvale::cmdHelp_Click() {
    int lesson = 0;
    for (int row = 1; row <= lvwLesson->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = lvwLesson->topLevelItem(row - 1);
        if (!item->isSelected()) continue;
        lesson = int(basic::Val(item->text(0)));
        SelectedLessonRow = row;
        break;
    }
    HelpContextID = lesson;
    showHelp();
}

void FrmTonvale::showHelp() {
    // The help file opens with the desktop's handler; without one, nothing happens.
    if (!HelpFile.isEmpty() && QFileInfo::exists(HelpFile)) QDesktopServices::openUrl(QUrl::fromLocalFile(HelpFile));
}

// ---- Commands ---------------------------------------------------------------------------------

void FrmTonvale::onMenuCommand(const QString& name, int index) { runMenuCommand(name, index); }

void FrmTonvale::runMenuCommand(const QString& name, int index) {
    if (name == "mnuFileExit") close();
    else if (name == "mnuGameNewLesson") mnuGameNewLesson_Click();
    else if (name == "mnuGamePlayer") mnuGamePlayer_Click();
    else if (name == "mnuGameRestart") mnuGameRestart_Click();
    else if (name == "mnuHelpContent") mnuHelpContent_Click();
    else if (name == "mnuIntervalTerm") mnuIntervalTerm_Click(index);
    else if (name == "mnuAbout") mnuAbout_Click();
    else if (name == "mnuBounds") { if (standIns.showScoreBounds) standIns.showScoreBounds(this); }
    else if (name == "mnuChangePassword") mnuChangePassword_Click();
    else if (name == "mnuConfigNetwork") {
        if (classLink_) classlink::showNetworkSettings(*classLink_, this);
    }
    else if (name == "mnuConfigReport") customizeReport(this);
    else if (name == "mnuExport") tonvale::ProfileStore::exportPlayer();
    else if (name == "mnuImport") tonvale::ProfileStore::importPlayer();
    else if (name == "mnuViewReport") showPlayerReport(session().PlayerName, this);
    else if (name == "mnuPracticeMode") mnuPracticeMode_Click();
    else if (name == "mnuPiano") toggleToolWindow("mnuPiano", "frmKeyboard");
    else if (name == "mnuDrum") toggleToolWindow("mnuDrum", "frmDrum");
    else if (name == "mnuDevice") mnuDevice_Click(index);
    else if (lessons::viewPaletteItems().contains(name)) {
        if (standIns.viewCommand) standIns.viewCommand(name);
    }
}

void FrmTonvale::Toolbar_ButtonClick(const QString& key) {
    if (key == "User") {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != "frmPlayer" && w->objectName() != "frmPassword") continue;
            if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible()) dialog->reject();
            else if (w->isVisible()) w->close();
        }
        choosePlayer();
    } else if (key == "New") {
        mnuGameNewLesson_Click();
    } else if (key == "Practice") {
        mnuPracticeMode_Click();
    } else if (key == "Report") {
        showPlayerReport(session().PlayerName, this);
    } else if (key == "Piano") {
        toggleToolWindow("mnuPiano", "frmKeyboard");
    } else if (key == "Drum") {
        toggleToolWindow("mnuDrum", "frmDrum");
    }
}

void FrmTonvale::mnuGameNewLesson_Click() {
    if (!ConfirmQuit()) return;
    ExerciseRunning = false;
    SelectFrame(0);
    UpdateMenu();
    unsetCursor();
}

void FrmTonvale::mnuGamePlayer_Click() { choosePlayer(); }

void FrmTonvale::choosePlayer() {
    tonvale::PlayerDialog::showPlayerDialog(this);
    afterPlayerChoice();
}

void FrmTonvale::afterPlayerChoice() {
    fraScore->hide();
    lvwLesson->hide();
    update();
    SelectFrame(0);
    UpdateMenu();
}

void FrmTonvale::mnuGameRestart_Click() {
    const int answer = platform::Dialogs::instance().messageBox(
        "Are you sure you want to restart this lesson from the beginning?", platform::YesNo, "Question", this);
    if (answer != platform::AnsYes) return;
    tonvale::PlayerSession& s = session();
    s.CurrentLevel = 2;
    const int n = s.CurrentLesson;
    if (n >= 0 && n <= 7) {
        s.AttemptCount[n] = 0;
        s.AverageScore[n] = 100;
        s.CompletedLevel[n] = 0;
    }
    SelectFrame(n);
}

void FrmTonvale::mnuIntervalTerm_Click(int index) {
    if (index < 1 || index > 3) return;
    for (int i = 1; i <= 3; ++i) menus_->intervalTerm(i)->setChecked(i == index);
    session().IntervalStyle = index;
    tonvale::ProfileStore::SaveProfile(session(), tonvale::ProfileStore::SaveReason::Settings);
    if (standIns.setIntervalImages) standIns.setIntervalImages(index);
}

void FrmTonvale::mnuPracticeMode_Click() {
    QAction* item = menus_->item("mnuPracticeMode");
    item->setChecked(!item->isChecked());
    session().PracticeMode = item->isChecked();
    setPracticeIndicator();
    tonvale::ProfileStore::SaveProfile(session(), tonvale::ProfileStore::SaveReason::Settings);
}

void FrmTonvale::toggleToolWindow(const QString& menuItem, const QString& window) {
    QAction* item = menus_->item(menuItem);
    if (item->isChecked()) {
        item->setChecked(false);
        if (standIns.windowVisible(window)) standIns.unloadWindow(window);
    } else {
        item->setChecked(true);
        if (!standIns.windowVisible(window)) {
            StandIns::run(standIns.setupAnswerPalettes);
            standIns.showWindow(window, this);
        }
    }
}

void FrmTonvale::mnuChangePassword_Click() {
    const QString answer = tonvale::PasswordDialog::NewPassword(this);
    if (answer == tonvale::kCancelSentinel) return;
    session().PlayerPassword = answer;
    tonvale::ProfileStore::SaveProfile(session(), tonvale::ProfileStore::SaveReason::Password);
}

void FrmTonvale::mnuAbout_Click() {
    FrmAbout about(this);
    platform::Dialogs::instance().runModal(about);
}

void FrmTonvale::mnuHelpContent_Click() { showHelp(); }

void FrmTonvale::showPlayerReport(const QString& playerName, QWidget* owner) {
    if (standIns.showReport) standIns.showReport(playerName, owner);
}

void FrmTonvale::customizeReport(QWidget* owner) {
    if (standIns.customizeReport) standIns.customizeReport(owner);
}

} // namespace shell
