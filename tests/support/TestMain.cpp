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
