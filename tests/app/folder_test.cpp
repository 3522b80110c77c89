#include "../filelist/foldertree.h"
#include "formfixture.h"

#include <QTimer>

namespace {

const QString kPrompt = QStringLiteral(
    "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all doc "
    "files, etc.)");

class AddAllInFolder : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        makeForm();
        dialogs.messages.clear();
    }

    // One click on "Add All ANI File(s) In Folder" answered with ext and folder.
    void addAll(const std::optional<QString>& ext, const QString& folder = QString())
    {
        dialogs.inputAnswers.push_back(ext);
        if (!folder.isNull())
            dialogs.browseAnswers.push_back(folder);
        form->PushButton4_Click();
    }

    FolderTree tree;
};

TEST_F(AddAllInFolder, ListsTheTreeBreadthFirst)
{
    tree.file("T/t1.ani");
    tree.file("T/A/a1.ani");
    tree.file("T/A/A1/a11.ani");
    tree.file("T/B/b1.ani");
    addAll("ani", tree.path("T"));

    EXPECT_EQ(form->itemTexts(),
              (QStringList{tree.path("T/t1.ani"), tree.path("T/A/a1.ani"), tree.path("T/B/b1.ani"),
                           tree.path("T/A/A1/a11.ani")}));
    ASSERT_EQ(dialogs.inputs.size(), 1u);
    EXPECT_EQ(dialogs.inputs[0].prompt, kPrompt);
    EXPECT_EQ(dialogs.inputs[0].title, form->applicationTitle());
    EXPECT_EQ(dialogs.inputs[0].defaultText, "ani");
    ASSERT_EQ(dialogs.browses.size(), 1u);
    EXPECT_EQ(dialogs.browses[0].prompt, "Please select folder:");
    EXPECT_EQ(dialogs.browses[0].start, "");
    EXPECT_EQ(stored("Extension"), "ani");
    EXPECT_EQ(stored("LastFolder"), tree.path("T"));
    EXPECT_EQ(form->mousePointer(), MousePointer::kDefault);
    EXPECT_TRUE(dialogs.messages.empty());

    // A trailing separator from the dialog gives the same items, and the next dialog starts there.
    form->clearItems();
    addAll("ani", tree.path("T") + QDir::separator());
    EXPECT_EQ(form->itemCount(), 4);
    EXPECT_EQ(form->itemText(1), tree.path("T/t1.ani"));
    EXPECT_EQ(dialogs.browses[1].start, tree.path("T"));
}

TEST_F(AddAllInFolder, ExtensionIsMatchedWithoutRegardToCaseAndUsedAsTyped)
{
    tree.file("a.ani");
    tree.file("B.ANI");
    tree.file("~b.ani");
    tree.file("notes.txt");
    tree.file("README");
    tree.file("x..ani");
    tree.file("sub/c.Ani");

    addAll("ani", tree.root());
    EXPECT_EQ(form->itemTexts(), (QStringList{tree.path("a.ani"), tree.path("B.ANI"),
                                              tree.path("x..ani"), tree.path("sub/c.Ani")}));

    form->clearItems();
    addAll("ANI", tree.root());
    EXPECT_EQ(form->itemCount(), 4);
    EXPECT_EQ(stored("Extension"), "ANI");
    EXPECT_EQ(dialogs.inputs.back().defaultText, "ani");

    form->clearItems();
    addAll(".ani", tree.root());
    EXPECT_EQ(form->itemTexts(), QStringList{tree.path("x..ani")});
    EXPECT_EQ(stored("Extension"), ".ani");

    form->clearItems();
    addAll("*", tree.root());
    EXPECT_EQ(form->itemTexts(),
              (QStringList{tree.path("a.ani"), tree.path("B.ANI"), tree.path("notes.txt"),
                           tree.path("README"), tree.path("x..ani"), tree.path("sub/c.Ani")}));
    EXPECT_EQ(stored("Extension"), "*");
    EXPECT_EQ(dialogs.inputs.back().defaultText, ".ani");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AddAllInFolder, EmptyFolderAddsNothingAndTwiceListsTwice)
{
    tree.folder("empty");
    tree.file("full/a.ani");
    addAll("ani", tree.path("empty"));
    EXPECT_EQ(form->itemCount(), 0);
    EXPECT_TRUE(dialogs.messages.empty());

    addAll("ani", tree.path("full"));
    addAll("ani", tree.path("full"));
    EXPECT_EQ(form->itemTexts(), (QStringList{tree.path("full/a.ani"), tree.path("full/a.ani")}));
}

TEST_F(AddAllInFolder, CancelAtEitherDialogAddsNothingAndKeepsTheStoredChoices)
{
    tree.file("one/a.ani");
    tree.file("two/b.ani");
    addAll("cur", tree.path("one"));
    ASSERT_EQ(stored("Extension"), "cur");
    ASSERT_EQ(stored("LastFolder"), tree.path("one"));

    // Cancelled input box: no folder dialog, nothing stored.
    addAll(std::nullopt);
    EXPECT_EQ(dialogs.browses.size(), 1u);
    EXPECT_EQ(stored("Extension"), "cur");

    // Confirmed empty: the same.
    addAll(QString(""));
    EXPECT_EQ(dialogs.browses.size(), 1u);
    EXPECT_EQ(stored("Extension"), "cur");
    EXPECT_EQ(dialogs.inputs.back().defaultText, "cur");

    // Cancelled folder dialog: the extension is kept, the folder is not.
    addAll("ani", QString(""));
    EXPECT_EQ(dialogs.browses.size(), 2u);
    EXPECT_EQ(dialogs.browses.back().start, tree.path("one"));
    EXPECT_EQ(stored("Extension"), "ani");
    EXPECT_EQ(stored("LastFolder"), tree.path("one"));

    EXPECT_EQ(form->itemCount(), 0);
    EXPECT_EQ(form->mousePointer(), MousePointer::kDefault);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AddAllInFolder, HourglassShowsWhileTheTreeIsWalked)
{
    tree.file("T/A/a.ani");
    int pointerDuringWalk = -1;
    QTimer::singleShot(0, form.get(), [&] { pointerDuringWalk = form->mousePointer(); });
    addAll("ani", tree.path("T"));
    EXPECT_EQ(pointerDuringWalk, MousePointer::kHourglass);
    EXPECT_EQ(form->mousePointer(), MousePointer::kDefault);
    EXPECT_EQ(form->itemCount(), 1);
}

TEST_F(AddAllInFolder, UnreadableFoldersAreLeftOutAndNamedInOneBox)
{
    tree.file("T/t.ani");
    tree.file("T/A/a.ani");
    tree.file("T/A/A1/a1.ani");
    tree.file("T/B/b.ani");
    tree.file("T/B/B1/b1.ani");
    tree.file("T/C/c.ani");
    LockedFolder lockedA(tree.path("T/A"));
    LockedFolder lockedC(tree.path("T/C"));
    {
        PermissionChecks checks;
        REQUIRE_UNLISTABLE(tree.path("T/A"));
        addAll("ani", tree.path("T"));
    }
    EXPECT_EQ(form->itemTexts(), (QStringList{tree.path("T/t.ani"), tree.path("T/B/b.ani"),
                                              tree.path("T/B/B1/b1.ani")}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "2 folders were left out because they cannot be read (no permission):\n" +
                  tree.path("T/A") + "\n" + tree.path("T/C") +
                  "\n\nTheir files are not in the list; allow yourself to read them to add them.");
    EXPECT_EQ(dialogs.messages[0].title, form->applicationTitle());
}

TEST_F(AddAllInFolder, LoopsEndAndNamesOfEveryScriptAreListed)
{
    SKIP_WITHOUT_REPARSE_POINTS(tree);
    tree.file(QStringLiteral("T/Курсоры/стрелка.ani"));
    tree.file(QStringLiteral("T/光标/忙.ani"));
    tree.file(QStringLiteral("T/ctl\x02/x.ani"));
    ASSERT_TRUE(tree.link(QStringLiteral("T/Курсоры/назад"), tree.path("T")));
    addAll("ani", tree.path("T"));
    EXPECT_EQ(form->itemTexts(), (QStringList{tree.path(QStringLiteral("T/Курсоры/стрелка.ani")),
                                              tree.path(QStringLiteral("T/光标/忙.ani"))}));
}

TEST_F(AddAllInFolder, SettingsThatCannotBeSavedDoNotStopTheWalk)
{
#ifdef _WIN32
    GTEST_SKIP() << "needs a settings folder that cannot be written; Wine does not enforce the "
                    "access lists that would make one";
#else
    tree.file("T/t.ani");
    // A settings folder that cannot be written: the choices hold for this session, and the
    // problem waits for the next run's final box instead of a box per saved value.
    const QByteArray settingsFolder = QFile::encodeName(temp.path());
    ::chmod(settingsFolder.constData(), 0555);
    {
        PermissionChecks checks;
        addAll("ani", tree.path("T"));
    }
    ::chmod(settingsFolder.constData(), 0700);
#endif

    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form->itemTexts(), QStringList{tree.path("T/t.ani")});
    EXPECT_EQ(form->mousePointer(), MousePointer::kDefault);
    EXPECT_TRUE(settings->takeUnreportedProblem().has_value());
}

// A walk holds the window's events below its handler; closing the window then ends the program
// at once. Without a walk the window closes the normal way.
TEST_F(AddAllInFolder, ClosingTheWindowDuringAWalkEndsTheProgram)
{
    tree.file("T/A/a.ani");
    form->show();
    form->close();
    EXPECT_EQ(endProgramCalls, 0);
    makeForm().show();
    QTimer::singleShot(0, form.get(), [&] { form->close(); });
    addAll("ani", tree.path("T"));
    EXPECT_EQ(endProgramCalls, 1);
}

} // namespace
