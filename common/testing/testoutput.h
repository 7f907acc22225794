#pragma once
// Where tests leave renders for people to look at (the build's test-output folder).
#include <QDir>
#include <QString>

inline QString testOutputPath(const QString& name) {
    QString dir = qEnvironmentVariable("TONVALE_TEST_OUTPUT");
#ifdef TEST_OUTPUT_DIR
    if (dir.isEmpty()) dir = QStringLiteral(TEST_OUTPUT_DIR);
#endif
    if (dir.isEmpty()) dir = QDir::tempPath() + "/test-output";
    QDir().mkpath(dir);
    return dir + "/" + name;
}
