#pragma once
// Tonvale's about box: the shared box with the student program's own texts and logo.
#include "common/about/frmabout.h"

namespace shell {

inline constexpr int kVersionMajor = 1, kVersionMinor = 3, kVersionRevision = 0;
inline const QString kApplicationTitle = QStringLiteral("Tonvale");

using common::GetKeyValue;

class FrmAbout : public common::FrmAbout {
    Q_OBJECT
public:
    explicit FrmAbout(QWidget* owner = nullptr);
};

} // namespace shell
