// Shared main of every test program: offscreen Qt before the application exists, a private
// data folder, and the GoogleTest run.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/paths.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName("tonvale-tests");
    QTemporaryDir data;
    platform::Paths::setDataFolder(data.path());
    return RUN_ALL_TESTS();
}
