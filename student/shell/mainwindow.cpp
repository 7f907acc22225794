#include "mainwindow.h"

#include "pictures.h"

#include "common/basic.h"
#include "common/storedtext/storedtext.h"
#include "music/framework/dispatch.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "student/lessons/answeritems.h"
#include "student/lessons/answerpalettes.h"
#include "student/lessons/exerciseflow.h"
#include "student/lessons/playback.h"
#include "student/lessons/elementpool.h"
#include "student/lessons/lessoncatalogue.h"
#include "student/lessons/menurules.h"
#include "student/palettes/beaming.h"
#include "student/palettes/palettepictures.h"
#include "student/palettes/paletteregistry.h"
#include "student/palettes/palettespecs.h"
#include "student/played/playedinputs.h"
#include "student/profile/playersession.h"
#include "student/profile/profilestore.h"
#include "student/shell/classlink/classlinkclient.h"
#include "student/staff/staffeditor.h"
#include "portsound.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include <optional>

namespace shell {

namespace {

tonvale::PlayerSession& session() { return tonvale::PlayerSession::instance(); }

// Design-time sizes (twips) of the controls the layout does not compute.
constexpr double kScrollBarThickness = 255;
constexpr double kScoreFrameHeight = 1215;
constexpr double kButtonWidth = 1215, kButtonHeight = 375;
constexpr double kNavigationWidth = 945;
constexpr double kListLeft = 120, kListTop = 480;
constexpr double kPictureButton = 495;
// Status bar panel 1 holds the connection picture.
constexpr double kStatusPictureWidth = 220;


using OptTwips = std::optional<double>;

// Places one of the window's own controls (never an element of a control array, whose
// record holds its twips) by twips; an empty value leaves that edge or size as it was.
void placeTwips(QWidget* w, OptTwips left, OptTwips top, OptTwips width = {}, OptTwips height = {}) {
    if (!w) return;
    QRect r = w->geometry();
    if (left) r.moveLeft(toPixels(*left));
    if (top) r.moveTop(toPixels(*top));
    if (width) r.setWidth(qMax(0, toPixels(*width)));
    if (height) r.setHeight(qMax(0, toPixels(*height)));
    w->setGeometry(r);
}

using common::hiddenChild;
using lessons::put;

QFont pointFont(const QFont& base, int points, bool bold = false) {
    QFont f = base;
    f.setPixelSize(points * 96 / 72);
    f.setBold(bold);
    return f;
}

} // namespace

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

    lessons::fillKeyTables();
    SelectedLessonRow = 1;
    session().PracticeMode = false;
    menus_->item("mnuPracticeMode")->setChecked(false);
    HScroll1->raise();
    for (int lesson = 1; lesson <= lessons::kLessonCount; ++lesson)
        session().LessonProgress[5][lesson] = QString::number(lessons::lessonInfo(lesson).exercises);

    // The lesson engine's context and the tool windows over it.
    palettes_ = std::make_unique<palettes::PaletteRegistry>(this, [this] { lessons::SetupAnswerPalettes(*ctx_); });
    ownStaff_.arrays = arrays.get();
    ctx_.reset(new lessons::LessonContext{*arrays, LoadedFlags, state, session(), *this, *palettes_,
                                          &ownPlayedInput_, &ownStaff_, sound_->port(), {}});
    ctx_->frame = {fraLesson0, cmdGo, cmdStop, cmdNext, cmdPrevious, lblScore, lblLevel, lblTime, Timer1};
    ctx_->table = &lessonTable;
    arrays->lblLetterMouseDown = [this](int i, double x, double y) { lessons::lblLetter_MouseDown(*ctx_, i, x, y); };
    arrays->cmdSpeakerClick = [this](int i) { lessons::cmdSpeaker_Click(*ctx_, i); };
    connect(cmdNext, &QPushButton::clicked, this, [this] { lessons::cmdNext_Click(*ctx_); });
    connect(cmdPrevious, &QPushButton::clicked, this, [this] { lessons::cmdPrevious_Click(*ctx_); });
    palettes_->setContext(ctx_.get());
    for (const palettes::PaletteSpec& spec : palettes::allPaletteSpecs()) palettes_->add(spec);
    played_ = std::make_unique<played::PlayedInputs>(*ctx_, [](int i) { return connectPicture(i); });
    played_->registerWindows(*palettes_);
    // The tool windows open clear of the menus, the toolbar, the score frame, the lesson and the status bar.
    palettes_->setPlacementArea([this] { return palettes::placementAround(this, {menuBar(), toolbar_->bar(), fraScore},
                                                                          fraLesson0, statusBar()); });
    ctx_->playedInput = played_.get();
    toolObserver_ = state.tools.subscribe([this] { showPointers(); });
    // The staff editor answers the clicks on every staff, note, key signature, slur and time
    // signature the lessons load.
    staffEditor_ = std::make_unique<staffedit::StaffEditor>(*ctx_);
    staffEditor_->wire();
    staffEditor_->setLessonName([this] { return lblLessonName->toPlainText(); });
    staffEditor_->unBeamSelected = [this] {
        lessons::NotationArrays& a = *arrays;
        palettes::Beaming(*ctx_).UnBeamIt(a.StaffLines, a.BeamFlag, a.NoteSymbol, a.lblAs, 6);
    };
    ctx_->staff = staffEditor_.get();

    tonvale::MainWindowSeam::setInstance(this);
}

FrmTonvale::~FrmTonvale() {
    if (loaded_ && !unloaded_) Form_Unload();
    state.tools.unsubscribe(toolObserver_);
    palettes_->unloadAll();
    if (&tonvale::MainWindowSeam::instance() == this) tonvale::MainWindowSeam::setInstance(nullptr);
}

void FrmTonvale::setStaffSeam(lessons::StaffSeam* seam) { ctx_->staff = seam ? seam : staffEditor_.get(); }
void FrmTonvale::setPlayedInput(lessons::PlayedInput* input) {
    ctx_->playedInput = input ? input : static_cast<lessons::PlayedInput*>(played_.get());
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
    // The lessons place the two 1000 twips apart: each narrower than that, so neither covers
    // the other.
    for (QPushButton* b : {cmdNext, cmdPrevious}) placeTwips(b, {}, {}, kNavigationWidth, kButtonHeight);

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

    auto pictureButton = [this](const QString& name, const QString& tip, const QIcon& icon, double left) {
        auto* b = new QPushButton(fraScore);
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setIcon(icon);
        placeTwips(b, left, 90, kPictureButton, kPictureButton);
        return b;
    };
    // Made now rather than at the first paint (the greeting shows this frame): the style's first
    // look into the icon theme then overlaps the synthesizer's loading, which Form_Load awaits.
    cmdGo = pictureButton("cmdGo", "Start Next Exercise", style()->standardIcon(QStyle::SP_MediaPlay), 12150);
    cmdStop = pictureButton("cmdStop", "Stop Current Exercise", style()->standardIcon(QStyle::SP_MediaStop), 12700);
    cmdHelp2 = pictureButton("cmdHelp2", "Help on this Lesson", helpPicture(), 13250);
    connect(cmdGo, &QPushButton::clicked, this, [this] { lessons::cmdGo_Click(*ctx_); });
    connect(cmdStop, &QPushButton::clicked, this, [this] { lessons::DoScore(*ctx_); });
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
    connect(Timer1, &QTimer::timeout, this, [this] { lessons::Timer1_Timer(*ctx_); });
    tmrPractice = new QTimer(this);
    tmrPractice->setObjectName("tmrPractice");
    tmrPractice->setInterval(500);
    connect(tmrPractice, &QTimer::timeout, this,
            [this] { toolbar_->setPracticeImage(lessons::practiceBlinkImage(practiceBlinkStep_)); });

    hook_ = new MessageHook([this](HookCommand c) { HandleCopyData(c); }, this);

    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] { showHelp(); });

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
    // Without a player the lesson switch stops early; the palettes wait for a lesson all the same.
    UpdateViewMenus();
    SetupLessonList();
    UpdateMenu();

    showStatus(false, "Disconnected");
    statusBar()->raise();
    classLink_ = new classlink::ClassLinkClient(this);
    connect(classLink_, &classlink::ClassLinkClient::statusChanged, this, &FrmTonvale::showStatus);
    classLink_->ConnectToServer(0);  // no wait: the status bar shows when the server answers

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
    palettes_->unloadAll();
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
    if (!state.ExerciseRunning) return true;
    const QString& CRLF = common::CRLF;
    const int answer = platform::Dialogs::instance().messageBox(
        "You may lose points if you Quit now." + CRLF + CRLF + "Are you sure you want to quit?",
        platform::YesNoCancel + platform::Question, "Exit", this);
    if (answer != platform::AnsYes) return false;
    lessons::DoScore(*ctx_);
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
    in.currentLesson = state.CurrentLesson;
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
    for (QWidget* w : std::initializer_list<QWidget*>{fraLevels, cmdStart, cmdHelp})
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

void FrmTonvale::SelectFrame(int lesson) {
    tonvale::PlayerSession& s = session();
    QAction* piano = menus_->item("mnuPiano");
    QAction* drum = menus_->item("mnuDrum");
    if (s.PlayerName.isEmpty()) {
        piano->setEnabled(false);
        drum->setEnabled(false);
        fraLesson0->hide();
        return;
    }
    // Asked before anything changes, so No leaves the window, its lesson and the elements
    // on it exactly as they were.
    if (lesson > 0 && !practiceChecked()) {
        const int answer = platform::Dialogs::instance().messageBox(
            "The Practice Mode is deactivated. Continue anyway?", platform::YesNo, "Test Mode", this);
        if (answer == platform::AnsNo) return;
    }
    piano->setEnabled(false);
    drum->setEnabled(false);
    for (int i = arrays->lnLeger.ubound(); i >= 1; --i) arrays->lnLeger.unload(i);
    cmdStop->setEnabled(true);
    state.DragX = 0;
    state.DragY = 0;
    sound_->CloseSong();
    state.TestDeadline = 0;
    lblTime->setText("00:00:00");
    fraLesson0->hide();

    lessons::UnloadLesson(state.CurrentLesson, *arrays, LoadedFlags);
    state.CurrentLesson = qint16(lesson);

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
    state.tools.disarmAll();   // nothing armed in the lesson before carries over: its builder arms its own
    for (const lessons::PaletteInfo& p : lessons::paletteInfos())
        if (*p.menuItem) menus_->item(QString::fromLatin1(p.menuItem))->setChecked(false);

    if (lesson == 0) {
        SetupLessonList();
    } else if (lesson >= 1 && lesson <= 7) {
        if (const auto& build = lessonTable.row(lesson).build) build(*ctx_);
        // A lesson checks the palettes it enables.
        for (const QString& item : lessons::viewItemsEnabledFor(lesson)) menus_->item(item)->setChecked(true);
        if (lesson == 2) piano->setEnabled(true);
        if (lesson == 4 || lesson == 7) {
            drum->setEnabled(true);
            // Checked, so the window pass below keeps the pad open: these lessons are
            // answered on it.
            drum->setChecked(true);
            palettes_->show("frmDrum");
        }
    }
    lessons::SetupAnswerPalettes(*ctx_);

    // The window pass: checked items' windows open, unchecked ones close.
    palettes_->applyViewChecks();
    UpdateViewMenus();
    UpdateMenu();
}

void FrmTonvale::UpdateViewMenus() {
    for (const QString& item : lessons::viewPaletteItems()) menus_->item(item)->setEnabled(false);
    for (const QString& item : lessons::viewItemsEnabledFor(state.CurrentLesson))
        menus_->item(item)->setEnabled(true);
}

void FrmTonvale::UpdateMenu() {
    const tonvale::PlayerSession& s = session();
    lessons::MenuFacts facts;
    facts.playerChosen = !s.PlayerName.isEmpty();
    facts.exerciseRunning = state.ExerciseRunning;
    facts.currentLesson = state.CurrentLesson;
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
    state.TestDeadline = 0;
    staffEditor_->TenorClef = false;
    cmdGo->setEnabled(false);
    cmdStop->setEnabled(false);
    lblPlayerName->setText(s.PlayerName);
    lvwLesson->clear();

    lessonList_.setup(s, tonvale::ProfileStore::profilePath(), state.CurrentLevel);
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
    palettes::setIntervalImages(state.tools, s.IntervalStyle);
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
    for (QWidget* w : std::initializer_list<QWidget*>{cmdNext, cmdPrevious, lvwLesson, lblPlayer, lblPlayerName,
                                                      cmdStart, cmdHelp, fraLevels})
        w->hide();

    a.StaffLines.setVisible(0, false);
    a.ClefSymbol.setVisible(0, false);
    a.StaffLines2.setVisible(0, false);
    a.ClefSymbol2.setVisible(0, false);
    if (a.BarFine) a.BarFine->hide();
    put(a.ClefSymbol[0], "Clef", 0);

    QWidget* note = a.NoteSymbol[0];
    put(note, "DotsNumberOf", 0);
    put(note, "ForeColor", 0);
    put(note, "AccidentalName", 0);
    put(note, "StemLength", -10);
    if (QLabel* as = a.lblAs[0]) as->setFont(pointFont(as->font(), 12));
    placeTwips(a.BarFine, {}, {}, {}, 615);
    QWidget* bar = a.Bar[0];
    a.Bar.Move(0, {}, {}, 75, 615);
    a.Bar.setVisible(0, false);
    put(bar, "BreakBar", true);
    put(a.tmMeter[0], "Pulses", 3);
    put(a.tmMeter[0], "NoteValue", 2);
    QWidget* chord = a.ChordSymbol[0];
    a.ChordSymbol.setWidth(0, 2235);
    put(chord, "ForcedKey", 0);
    put(chord, "OffsetModeName", -3);
    put(chord, "ChordLeft", 0);
    QWidget* roman = a.ChordRoman[0];
    a.ChordRoman.setWidth(0, 345);
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

    const int lesson = state.CurrentLesson;
    if (lesson == 0) {
        placeTwips(lvwLesson, {}, {}, 12400, 5910);
        for (QWidget* w : std::initializer_list<QWidget*>{lvwLesson, lblPlayer, lblPlayerName, cmdStart, cmdHelp})
            w->show();
        return;
    }
    if (lesson != 2 && lesson != 4 && lesson != 7) return;

    QWidget* staff = a.StaffLines[0];
    a.StaffLines.Move(0, 120, 465, 1800, 1995);
    put(staff, "LineTop", 30);
    put(staff, "LineLeft", 0);
    put(staff, "LineWidth", 150);
    put(staff, "LineNumbers", 5);
    a.NoteSymbol.Move(0, 1370, 495, 550, 1760);
    put(note, "Note", 0);
    put(note, "NoteTop", 20);
    put(note, "NoteLeft", 15);
    put(note, "AccidentalOffset", 0);
    a.lblAs.Move(0, 200, 2070, 660, 330);
    if (QLabel* as = a.lblAs[0]) as->setFont(pointFont(as->font(), 12));
    a.lblLetter.Move(0, 1020, 400, 660, 330);
    if (QLabel* letter = a.lblLetter[0]) letter->setFont(pointFont(letter->font(), 12, true));
    a.Bar.Move(0, 2435, 930, {}, 8500);
    a.ClefSymbol.Move(0, 285, 645);
    a.ChordSymbol.Move(0, 2300, 2070);
    put(chord, "ChordDisplay", 0);
    put(chord, "ForcedKey", -1);
    a.ChordRoman.Move(0, 770, 2070, 1500, 300);
    put(roman, "ChordLeft", 0);
    put(roman, "ChordTop", -5);
    put(roman, "ChordDisplay", 2);
    a.lblMusic.Move(0, 1500, 2070);
    if (QLabel* music = a.lblMusic[0]) music->setFont(pointFont(music->font(), 12, true));
    a.KeySign.Move(0, {}, {}, 135, 495);
    put(a.KeySign[0], "KeyMode", 0);
    placeTwips(a.lblPunc, 550, 2100);
    a.AccidentalSymbol.Move(0, 1500, 1900);
    a.BeamFlag.Move(0, {}, {}, 1500, 450);
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
        state.CurrentLevel = level ? *level : 2;
        lblLessonName->setPlainText(item->text(0));
        const int lesson = int(basic::Val(item->text(0)));
        SelectFrame(lesson);
        SelectedLessonRow = row;
        return;
    }
}

// ---- LessonWindow -----------------------------------------------------------------------------

void FrmTonvale::PlaySong(const QString& path) { sound_->PlaySong(path); }
void FrmTonvale::CloseSong() { sound_->CloseSong(); }

bool FrmTonvale::menuChecked(const QString& item) const {
    const QAction* a = menus_->item(item);
    return a && a->isChecked();
}

void FrmTonvale::setMenuChecked(const QString& item, bool checked) {
    if (QAction* a = menus_->item(item)) a->setChecked(checked);
}

void FrmTonvale::showPointers() {
    // 0 the default pointer, 2 the cross-hair, 99 the eraser (the window's custom pointer).
    auto apply = [](QWidget* w, int pointer) {
        if (pointer == lessons::kPointerEraser) w->setCursor(palettes::eraserCursor());
        else if (pointer == lessons::kPointerCross) w->setCursor(Qt::CrossCursor);
        else w->unsetCursor();
    };
    apply(this, state.tools.MousePointer());
    apply(fraLesson0, state.tools.LessonFramePointer());
}

} // namespace shell
