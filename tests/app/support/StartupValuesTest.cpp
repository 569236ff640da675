#include "support/StartupValues.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

TEST(StartupValuesTest, ProgramDir_IsTheFolderOfTheProgramFileWhateverItsName)
{
    EXPECT_EQ(StartupValues::ProgramDirFromPath(QStringLiteral("/opt/Chimie/Quorin")),
              QDir::toNativeSeparators(QStringLiteral("/opt/Chimie")));
    EXPECT_EQ(StartupValues::ProgramDirFromPath(QStringLiteral("/opt/Chimie/quorin-7.0.0")),
              QDir::toNativeSeparators(QStringLiteral("/opt/Chimie")));
    EXPECT_EQ(StartupValues::ProgramDirFromPath(QStringLiteral("/opt/Chimie/sub/../Quorin")),
              QDir::toNativeSeparators(QStringLiteral("/opt/Chimie")));
}

TEST(StartupValuesTest, Initialise_PutsTheHelpFileUnderAides)
{
    StartupValues::Initialise(QStringLiteral("/home/prof/Chimie/Quorin"));
    EXPECT_EQ(StartupValues::ProgramDir(), QDir::toNativeSeparators(QStringLiteral("/home/prof/Chimie")));
    EXPECT_EQ(StartupValues::HelpFilePath(),
              QDir::toNativeSeparators(QStringLiteral("/home/prof/Chimie/Aides/Vexbase7.Hlp")));
}

}  // namespace
