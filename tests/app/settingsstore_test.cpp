#include "apperror.h"
#include "qtprinters.h"
#include "settingsstore.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(SettingsStore, DefaultsUntilWrittenThenTheTextSurvivesANewStore)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("settings.ini");
    {
        SettingsStore store(file);
        EXPECT_EQ(store.read("Extension", "ani"), "ani");
        store.write("Extension", "cur");
        store.write("LastFolder", QString::fromUtf8("/home/u/Папка 文件夹"));
        store.write("Text1", "");
    }
    SettingsStore again(file);
    EXPECT_EQ(again.read("Extension", "ani"), "cur");
    EXPECT_EQ(again.read("LastFolder", ""), QString::fromUtf8("/home/u/Папка 文件夹"));
    // An empty text is a stored value, not an absent one.
    EXPECT_EQ(again.read("Text1", "default"), "");
}

// A damaged file is written again with the new value; the user is told that, not that nothing
// could be saved.
TEST(SettingsStore, ADamagedFileIsWrittenAgainAndSaidSo)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("settings.ini");
    {
        QFile junk(file);
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write("\x01\x02[[[\n=\xff\xfe junk\n");
    }
    SettingsStore store(file);
    store.write("Slider1", "50");
    EXPECT_EQ(SettingsStore(file).read("Slider1", "85"), "50");
    const std::optional<QString> problem = store.takeUnreportedProblem();
    ASSERT_TRUE(problem);
    EXPECT_TRUE(problem->contains("was damaged. It has been written again"))
        << problem->toStdString();
}

TEST(SettingsStore, ReadingNeverWrites)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("settings.ini");
    SettingsStore store(file);
    store.read("Slider1", "85");
    EXPECT_FALSE(QFile::exists(file));
}

TEST(SettingsStore, AValueThatCannotBeSavedHoldsForTheSessionAndIsToldOnce)
{
    QTemporaryDir dir;
    // A folder where the settings file should be makes every save fail.
    QDir(dir.path()).mkdir("settings.ini");
    SettingsStore store(dir.filePath("settings.ini"));
    EXPECT_FALSE(store.takeUnreportedProblem());
    store.write("Slider1", "50");
    store.write("Text1", "x");
    EXPECT_EQ(store.read("Slider1", "85"), "50");
    const std::optional<QString> problem = store.takeUnreportedProblem();
    ASSERT_TRUE(problem);
    EXPECT_TRUE(problem->startsWith("Your settings could not be saved: "))
        << problem->toStdString();
    EXPECT_TRUE(problem->contains("settings.ini")) << problem->toStdString();
    EXPECT_FALSE(store.takeUnreportedProblem());
}

TEST(SettingsConversions, BooleansAcceptTheirTextAndNumbers)
{
    EXPECT_EQ(BooleanText(true), "True");
    EXPECT_EQ(BooleanText(false), "False");
    EXPECT_TRUE(ToBoolean("True"));
    EXPECT_TRUE(ToBoolean("true"));
    EXPECT_FALSE(ToBoolean("False"));
    EXPECT_TRUE(ToBoolean("1"));
    EXPECT_TRUE(ToBoolean("-1"));
    EXPECT_FALSE(ToBoolean("0"));
    EXPECT_FALSE(ToBoolean(" 0 "));
    for (const char* bad : {"", "yes", "1x", "Truth"}) {
        try {
            ToBoolean(bad);
            ADD_FAILURE() << bad << " must not convert";
        } catch (const AppError& error) {
            EXPECT_EQ(error.number(), ErrorNumber::kTypeMismatch) << bad;
        }
    }
}

TEST(SettingsConversions, IntegersFromDecimalText)
{
    EXPECT_EQ(ToInt32("85"), 85);
    EXPECT_EQ(ToInt32(" 40 "), 40);
    EXPECT_EQ(ToInt32("-7"), -7);
    EXPECT_EQ(ToInt32("2.5"), 2);
    EXPECT_EQ(ToInt32("3.5"), 4);
    EXPECT_THROW(ToInt32("abc"), AppError);
    EXPECT_THROW(ToInt32(""), AppError);
    try {
        ToInt32("3000000000");
        ADD_FAILURE() << "beyond 32 bits must overflow";
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), ErrorNumber::kOverflow);
    }
}

} // namespace
