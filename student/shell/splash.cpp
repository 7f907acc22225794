#include "splash.h"

#include "pictures.h"
#include "soundseam.h"

#include "platform/dialogs.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace shell {

namespace {

// The logo is painted whenever the box shows it, rather than kept as a picture for the
// whole of the tune.
class LogoView : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        paintLogo(p, size());
    }
};

} // namespace

FrmSplash::FrmSplash(SoundSeam& sound, const QString& songPath, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), sound_(sound) {
    setObjectName("frmSplash");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    imgLogo_ = new LogoView(this);
    imgLogo_->setObjectName("imgLogo");
    imgLogo_->setAttribute(Qt::WA_OpaquePaintEvent);
    imgLogo_->installEventFilter(this);
    layout->addWidget(imgLogo_);
    setFixedSize(480, 300);
    // It stands centred on the main window, also when the desktop moves or fits that window
    // while the tune plays.
    if (owner) owner->window()->installEventFilter(this);
    sound_.PlaySong(songPath);
}

FrmSplash::~FrmSplash() { Form_Unload(); }

void FrmSplash::imgLogo_Click() { done(Accepted); }

void FrmSplash::done(int result) {
    Form_Unload();
    QDialog::done(result);
}

void FrmSplash::keyPressEvent(QKeyEvent* event) {
    event->accept();
    done(Accepted);
}

bool FrmSplash::eventFilter(QObject* watched, QEvent* event) {
    if (watched == imgLogo_ && event->type() == QEvent::MouseButtonRelease) {
        imgLogo_Click();
        return true;
    }
    if (watched != imgLogo_ && isVisible() && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        platform::centreOnOwner(*this, parentWidget());
    return QDialog::eventFilter(watched, event);
}

void FrmSplash::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    sound_.CloseSong();
}

} // namespace shell
