#include "records/exit_flow.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

TEST(ExitFlow, ASecondExitWhileTheFirstIsUndecidedDoesNotReportTheEnd) {
    ExitFlow flow;
    int ends = 0, saves = 0;
    bool answer = false;
    bool nested = true;
    ExitFlow::Steps steps;
    steps.dataChanged = [] { return true; };
    steps.save = [&] { return ++saves, false; };
    steps.endWithoutSaving = [&] {
        // The question's message loop lets the tray menu's Exit in.
        EXPECT_FALSE(flow.Run(steps));
        nested = false;
        return answer;
    };
    steps.end = [&] { ++ends; };

    EXPECT_FALSE(flow.Run(steps));  // the user keeps the program running
    EXPECT_FALSE(nested);
    EXPECT_EQ(ends, 0);
    answer = true;
    EXPECT_TRUE(flow.Run(steps));
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(ends, 1);
    // Once ending, a later call says so without saving or ending again.
    EXPECT_TRUE(flow.Run(steps));
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(ends, 1);

    ExitFlow unchanged;
    steps.dataChanged = [] { return false; };
    EXPECT_TRUE(unchanged.Run(steps));
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(ends, 2);
}

TEST(ExitFlow, TheSessionEndsUnlessChangesCouldNotBeSaved) {
    struct Case {
        bool changed, saved, mayEnd;
        int saves;
    };
    for (const Case& c : {Case{false, false, true, 0}, Case{true, true, true, 1}, Case{true, false, false, 1}}) {
        int saves = 0;
        EXPECT_EQ(SessionMayEnd(c.changed, [&] { return ++saves, c.saved; }), c.mayEnd);
        EXPECT_EQ(saves, c.saves);
    }
}

}  // namespace
}  // namespace tf
