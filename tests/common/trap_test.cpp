#include "apperror.h"
#include "scripteddialogs.h"
#include "trap.h"

#include <gtest/gtest.h>

namespace {

const QString kLocation = QStringLiteral("in Pellmoor2021/08/31.Form1.Form_Load ");

TEST(ErrorReport, TextIsAssembledExactly)
{
    EXPECT_EQ(ErrorReportText("Type mismatch", kLocation, 132),
              "Type mismatch\r\nin Pellmoor2021/08/31.Form1.Form_Load at line 132\r\r"
              "Please email screenshot of this message to support@corvenda.example");
}

TEST(Trap, ReportsTheNumberOfTheFailingStatementAndResumes)
{
    ScriptedDialogs dialogs;
    Trap trap(dialogs, kLocation);
    std::vector<int> ran;
    trap.at(100, [&] { throw AppError::typeMismatch(); });
    trap.at(102, [&] { ran.push_back(102); });
    trap.at(104, [&] {
        ran.push_back(104);
        throw AppError::invalidArgument();
    });
    trap.at(106, [&] { ran.push_back(106); });

    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("Type mismatch\r\n"));
    EXPECT_TRUE(dialogs.messages[0].text.contains("at line 100\r\r"));
    EXPECT_TRUE(dialogs.messages[1].text.startsWith("Invalid procedure call or argument\r\n"));
    EXPECT_TRUE(dialogs.messages[1].text.contains("at line 104\r\r"));
    EXPECT_EQ(dialogs.messages[0].title, "Application Error");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(ran, (std::vector<int>{102, 104, 106}));
}

TEST(Trap, FailedTestRunsItsTrueBranch)
{
    ScriptedDialogs dialogs;
    Trap trap(dialogs, kLocation);
    EXPECT_TRUE(trap.test(142, []() -> bool { throw AppError::typeMismatch(); }));
    EXPECT_FALSE(trap.test(144, [] { return false; }));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains("at line 142"));
}

TEST(Trap, ForeignExceptionsAreReportedToo)
{
    ScriptedDialogs dialogs;
    Trap trap(dialogs, kLocation);
    trap.at(110, [] { throw std::runtime_error("disk full"); });
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("disk full\r\n"));
}

} // namespace
