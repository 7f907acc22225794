#pragma once
// Server.cfg: the port the class server listens on, as a "port=" line in one quoted record.
#include <QString>

namespace classserver {

inline constexpr char kServerConfigFile[] = "Server.cfg";

// The port a settings text gives: the value of its first key=value line (the key is not
// looked at), its leading number rounded half to even. An empty text, a text without "=",
// and any port outside 1..65535 give 2001.
int serverPortFromText(const QString& settingsText);
// Reads Server.cfg (a missing or unreadable file gives 2001).
int readServerPort(const QString& path);

} // namespace classserver
