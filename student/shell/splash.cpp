#include "splash.h"

#include "pictures.h"
#include "soundseam.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace shell {

FrmSplash::FrmSplash(SoundSeam& sound, const QString& songPath, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), sound_(sound) {
    setObjectName("frmSplash");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    imgLogo_ = new QLabel(this);
    imgLogo_->setObjectName("imgLogo");
    imgLogo_->setPixmap(logoPicture(QSize(480, 300)));
    imgLogo_->installEventFilter(this);
    layout->addWidget(imgLogo_);
    setFixedSize(480, 300);
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
    return QDialog::eventFilter(watched, event);
}

void FrmSplash::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    sound_.CloseSong();
}

} // namespace shell
