#pragma once
// The splash box shown once at start-up: the logo while the start-up tune plays, until a key
// is pressed in it or the logo is clicked. It never closes by itself.
#include <QDialog>


namespace shell {

class SoundSeam;

class FrmSplash : public QDialog {
    Q_OBJECT
public:
    // Form_Load: starts the tune `songPath` on `sound`.
    FrmSplash(SoundSeam& sound, const QString& songPath, QWidget* owner = nullptr);
    ~FrmSplash() override;

    QWidget* imgLogo() const { return imgLogo_; }
    void imgLogo_Click();
    // Closing by any means stops the tune (Form_Unload).
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Unload();
    SoundSeam& sound_;
    QWidget* imgLogo_;
    bool unloaded_ = false;
};

} // namespace shell
