#include "about.h"

#include "pictures.h"

#include "common/storedtext/storedtext.h"

namespace shell {

namespace {
common::AboutText tonvaleAbout() {
    const QString& CRLF = common::CRLF;
    common::AboutText about;
    about.title = kApplicationTitle;
    about.major = kVersionMajor;
    about.minor = kVersionMinor;
    about.revision = kVersionRevision;
    about.description = QString("Tonvale Version %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision) +
                        CRLF + "Copyright (C) the Tonvale authors." + CRLF + "All rights reserved.";
    about.disclaimer = CRLF + "Warning: this computer program is protected by copyright law" + CRLF +
                       "and international treaties. Unauthorized reproduction or" + CRLF +
                       "distribution of this program, or any portion of it, may result" + CRLF +
                       "in severe civil and criminal penalties, and will be prosecuted" + CRLF +
                       "to the maximum extent possible under the law." + CRLF + "Classroom copies are licensed per site.";
    about.icon = logoPicture(QSize(96, 60));
    return about;
}
} // namespace

FrmAbout::FrmAbout(QWidget* owner) : common::FrmAbout(tonvaleAbout(), owner) {}

} // namespace shell
