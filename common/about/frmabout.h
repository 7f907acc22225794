#pragma once
// The about box both programs show with their own texts: program title, version, product
// line and warning, and a button that starts the system-information program when the key
// store names one.
#include <QDialog>
#include <QPixmap>
#include <functional>

class QLabel;
class QPushButton;

namespace platform { class Registry; }

namespace common {

// What one program says about itself.
struct AboutText {
    QString title;                 // "Tonvale", "Hallbrin"
    int major = 0, minor = 0, revision = 0;
    QString description;           // the product line
    QString disclaimer;            // the legal warning
    QPixmap icon;                  // beside the title; none leaves the place empty
};

// Reads a text value of a key of the key store. False (and KeyVal empty) when the key or
// the value is not there.
bool GetKeyValue(const platform::Registry& registry, const QString& KeyName, const QString& SubKeyRef,
                 QString& KeyVal);

class FrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit FrmAbout(const AboutText& about, QWidget* owner = nullptr);

    // Where the system-information program is looked up, and how a program is started
    // (tests replace both).
    void setRegistry(const platform::Registry* registry) { registry_ = registry; }
    void setProgramStarter(std::function<bool(const QString&)> starter) { starter_ = std::move(starter); }

    void cmdOK_Click();
    void cmdSysInfo_Click();
    void StartSysInfo();

    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QLabel* lblDisclaimer;
    QLabel* picIcon;
    QPushButton* cmdOK;
    QPushButton* cmdSysInfo;

private:
    const platform::Registry* registry_;
    std::function<bool(const QString&)> starter_;
};

} // namespace common
