#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

// The window's tests need an application object; they run on the offscreen
// platform unless told otherwise, and every folder the program could write
// to points into a temporary folder.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    qputenv("XDG_STATE_HOME", home.filePath("state").toUtf8());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
