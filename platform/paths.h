#pragma once
// Where a program keeps its files: the writable data folder (the original "program folder")
// and the read-only share folder (font, songs, templates, help). Both can be set, so tests
// use temporary folders.
#include <QString>

namespace platform {

class Paths {
public:
    // The data folder of the running program (created when first asked for).
    static QString dataFolder();
    static void setDataFolder(const QString& dir);  // empty restores the default
    // Read-only resources: TONVALE_SHARE_DIR in the environment, else the build's share
    // folder, else <prefix>/share/tonvale next to the executable.
    static QString shareFolder();
    static void setShareFolder(const QString& dir);
    // A file name of the original form ("\Tonvale.txt") inside the data folder.
    static QString dataFile(const QString& name);
    static QString shareFile(const QString& name);
};

} // namespace platform
