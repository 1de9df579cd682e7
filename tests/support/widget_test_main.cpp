// Widget tests need a QApplication (suites without widgets define TARVEX_TEST_NO_WIDGETS and
// get a QCoreApplication); per-user settings go to a throw-away directory so that no test reads
// or overwrites the user's real placement or port names.
#ifdef TARVEX_TEST_NO_WIDGETS
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#else
#include <QApplication>
using TestApplication = QApplication;
#endif
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    QTemporaryDir settingsHome;
    if (!settingsHome.isValid())
        return 2;
    qputenv("XDG_CONFIG_HOME", settingsHome.path().toLocal8Bit());
    qputenv("HOME", settingsHome.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    TestApplication app(argc, argv);
    TestApplication::setOrganizationName(QStringLiteral("Tarvex"));
    TestApplication::setApplicationName(QStringLiteral("Tarvex"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
