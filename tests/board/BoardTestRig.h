#pragma once

#include "board/EmulatedBoard.h"
#include "board/TTorviC.h"
#include "FakeClock.h"
#include "ScriptedVoltageSource.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// The driver component `P` on the emulated board, a scripted voltage source and a fake clock,
// with every OnUsing notification recorded as the status it announced.
class BoardTestRig : public ::testing::Test {
protected:
    struct Notice {
        int code;
        QString message;
    };

    void SetUp() override
    {
        board.StartLog();
        P = std::make_unique<TTorviC>(board, clock);
        P->SetOnUsing([this](QObject* sender) {
            EXPECT_EQ(sender, P.get());
            notices.push_back({P->ErrorCode(), P->ErrorMessage()});
        });
    }

    std::vector<int> NoticeCodes() const
    {
        std::vector<int> codes;
        for (const Notice& notice : notices)
            codes.push_back(notice.code);
        return codes;
    }

    std::vector<PortAccess> Accesses(PortAccess::Kind kind) const
    {
        std::vector<PortAccess> selected;
        for (const PortAccess& access : board.Log())
            if (access.kind == kind)
                selected.push_back(access);
        return selected;
    }

    void Restart()
    {
        notices.clear();
        board.ClearLog();
    }

    FakeClock clock;
    ScriptedVoltageSource source;
    EmulatedBoard board{source, clock};
    std::unique_ptr<TTorviC> P;
    std::vector<Notice> notices;
};
