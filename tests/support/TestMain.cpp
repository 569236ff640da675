#include "TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {
std::unique_ptr<QTemporaryDir> settingsDir;
}

// The leak checker's suppressions (leaks inside Qt's own libraries), compiled in: ctest gets
// only the first variable of the tests' ENVIRONMENT property from gtest_discover_tests, so
// LSAN_OPTIONS never reached the tests. A LSAN_OPTIONS in the environment still wins.
extern "C" const char* __lsan_default_options()
{
    return "suppressions=" QUORIN_LSAN_SUPPRESSIONS;
}

namespace TestEnvironment {

QString SettingsDir()
{
    return settingsDir->path();
}

void ClearSettings()
{
    QSettings settings(QStringLiteral("Torvi"), QStringLiteral("Quorin"));
    settings.clear();
    settings.sync();
}

}  // namespace TestEnvironment

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    settingsDir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir->path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir->path());
    const int result = RUN_ALL_TESTS();
    settingsDir.reset();
    return result;
}
