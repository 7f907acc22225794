#include "getvalue.h"

namespace common {

QString GetValue(QString& text, QString& key) {
    const int eq = text.indexOf(QLatin1Char('='));
    if (text.isEmpty() || eq < 0) return QString();
    key = text.left(eq);
    QString rest = text.mid(eq + 1);
    const int end = rest.indexOf(QLatin1String("\r\n"));
    if (end < 0) {
        text.clear();
        return rest;
    }
    text = rest.mid(end + 2);
    rest.truncate(end);
    return rest;
}

} // namespace common
