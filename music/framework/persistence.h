#pragma once
// Saving a control's properties with its host's window data and loading them back. Each class
// lists its property map in order with
//   Q_CLASSINFO("propmap", "BackColor=-501;Enabled=-514;...;Line Top=1;...")
// (description = dispatch id). Values are read and written through the dispatch setters, so
// loading rebuilds derived state (glyph texts, durations) exactly as the host's calls would.
#include <QByteArray>
#include <QPair>
#include <QString>
#include <QVector>

class QWidget;

namespace music {

// (description, dispatch id) in the class's saving order.
QVector<QPair<QString, int>> propertyMap(const QWidget* control);
// The extent, then every entry of the map. A control that saves clears its dirty mark.
QByteArray saveControl(QWidget* control);
// False (and nothing beyond what was read) when the data is not a saved control of this class.
bool loadControl(QWidget* control, const QByteArray& data);

} // namespace music
