#pragma once
// Key=value settings lines (Client.cfg, Server.cfg): the first line taken off a text. Both
// programs read their settings files with it.
#include <QString>

namespace common {

// Takes the first key=value line off text. When text is empty or holds no "=", nothing
// changes and the result is empty. Otherwise key := what stands before the first "=" (so a
// line without "=" runs into the next line's key), the result is the rest up to the first
// CR LF, and text keeps what follows that CR LF (empty when there is none).
QString GetValue(QString& text, QString& key);

} // namespace common
