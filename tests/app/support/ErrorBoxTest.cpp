#include "support/ErrorBox.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace {

TEST(ErrorBoxTest, Guard_ShowsTheFrenchTextAndGoesOn)
{
    QStringList shown;
    ErrorBox::SetPresenter([&](const QString& text) { shown << text; });
    // A handler with an answer gives it, or the fallback when it fails.
    EXPECT_FALSE(ErrorBox::Guard([]() -> bool { throw std::runtime_error("Accès refusé"); }, false));
    EXPECT_TRUE(ErrorBox::Guard([] { return true; }));
    // One with nothing to return says whether it ran to its end.
    bool ran = false;
    EXPECT_TRUE(ErrorBox::Guard([&] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_FALSE(ErrorBox::Guard([] { throw std::bad_alloc(); }));
    ErrorBox::SetPresenter({});
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Accès refusé"), QStringLiteral("Mémoire insuffisante")}));
}

}  // namespace
