#include "serverconfig.h"

#include "classserver.h"
#include "common/basic.h"
#include "common/storedtext/storedtext.h"
#include "common/storedtext/getvalue.h"

namespace classserver {

int serverPortFromText(const QString& settingsText) {
    QString text = settingsText;
    QString key;
    const double port = basic::roundHalfEven(basic::Val(common::GetValue(text, key)));
    return port >= 1 && port <= 65535 ? int(port) : kDefaultPort;
}

int readServerPort(const QString& path) {
    QString text;
    if (!common::ReadTextFile(path, text)) return kDefaultPort;
    return serverPortFromText(text);
}

} // namespace classserver
