// Dropping files and folders onto the list, through the window's drop handlers and through drag
// events sent to the list.
#include "fileattributes.h"
#include "formfixture.h"
#include "permissionchecks.h"

#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTreeWidget>
#include <QUrl>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace {

class Drop : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        root = QDir::toNativeSeparators(temp.filePath(QStringLiteral("drop")));
        QDir().mkpath(root);
        makeForm();
    }

    // Creates a file (and its folders) below the drop folder; returns its native path.
    QString file(const QString& relative)
    {
        const QString path = root + QDir::separator() + QDir::toNativeSeparators(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("RIFF");
        return path;
    }

    QString folder(const QString& relative)
    {
        const QString path = root + QDir::separator() + QDir::toNativeSeparators(relative);
        QDir().mkpath(path);
        return path;
    }

    static std::unique_ptr<QMimeData> urls(const QStringList& paths)
    {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> list;
        for (const QString& p : paths)
            list.append(QUrl::fromLocalFile(p));
        data->setUrls(list);
        return data;
    }

    void drop(const QStringList& paths) { form->ListView1_OLEDragDrop(urls(paths).get()); }

    // Sends a drag event to the list the way the window system does; true when it is accepted.
    bool send(QEvent::Type type, const QMimeData& data, Qt::DropActions offered,
              Qt::DropAction* chosen = nullptr)
    {
        QWidget* target = form->ListView1->viewport();
        const QPoint at = target->rect().center();
        std::unique_ptr<QDropEvent> event;
        if (type == QEvent::DragEnter)
            event = std::make_unique<QDragEnterEvent>(at, offered, &data, Qt::LeftButton,
                                                      Qt::NoModifier);
        else if (type == QEvent::DragMove)
            event = std::make_unique<QDragMoveEvent>(at, offered, &data, Qt::LeftButton,
                                                     Qt::NoModifier);
        else
            event =
                std::make_unique<QDropEvent>(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        event->setAccepted(false);
        QCoreApplication::sendEvent(target, event.get());
        if (chosen)
            *chosen = event->dropAction();
        return event->isAccepted();
    }

    QString root;
};

TEST_F(Drop, AFileOfAnyExtensionIsListedAsGivenAndTwiceWhenDroppedTwice)
{
    const QString notes = file("notes.txt");
    drop({notes, notes});
    drop({notes});
    EXPECT_EQ(form->itemTexts(), (QStringList{notes, notes, notes}));
    EXPECT_EQ(form->mousePointer(), MousePointer::kDefault);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Drop, AFolderListsItsTreeWithoutTildeNamesAfterTheItemsPresent)
{
    const QString a = file("D/a.ani");
    file("D/~b.ani");
    const QString c = file("D/sub/c.ani");
    form->appendPath(QStringLiteral("/earlier.ani"));
    drop({folder("D")});
    EXPECT_EQ(form->itemTexts(), (QStringList{"/earlier.ani", a, c}));
}

TEST_F(Drop, HiddenFilesOfAFolderAreListedUnlessHiddenAndArchive)
{
    const QString hidden = file("H/.h.ani");
    const QString readOnlyHidden = file("H/.r.ani");
    QFile::setPermissions(readOnlyHidden, QFile::ReadOwner | QFile::ReadUser);
    const QString plain = file("H/p.ani");
    drop({folder("H")});

    // Listed exactly when the attribute value is not hidden + archive.
    QStringList expected;
    for (const QString& path : {hidden, readOnlyHidden, plain}) {
        if (FileAttributes(path) != FileAttribute::kHidden + FileAttribute::kArchive)
            expected.append(path);
    }
    EXPECT_EQ(form->itemTexts(), expected);
#ifndef Q_OS_WIN
    EXPECT_EQ(FileAttributes(hidden), FileAttribute::kHidden);
    EXPECT_EQ(expected.size(), 3);
#endif
}

TEST_F(Drop, FilesAndFoldersOfOneDropKeepTheDropOrder)
{
    const QString a1 = file("A/1.ani");
    const QString b1 = file("B/1.ani");
    const QString loose = file("loose.cur");
    drop({folder("B"), loose, folder("A")});
    EXPECT_EQ(form->itemTexts(), (QStringList{b1, loose, a1}));
}

TEST_F(Drop, AFolderEndingInASeparatorGivesSingleSeparators)
{
    file("R/x.ani");
    file("R/s/y.ani");
    drop({folder("R") + QDir::separator()});
    const QString sep = QDir::separator();
    EXPECT_EQ(form->itemTexts(), (QStringList{root + sep + "R" + sep + "x.ani",
                                              root + sep + "R" + sep + "s" + sep + "y.ani"}));
}

TEST_F(Drop, AnEmptyFolderAddsNothingAndAVanishedPathIsSkipped)
{
    const QString kept = file("kept.ani");
    drop({folder("empty"), root + QDir::separator() + "gone.ani", kept});
    EXPECT_EQ(form->itemTexts(), QStringList{kept});
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Drop, AFolderThatCannotBeListedIsSkippedNamedAndTheDropGoesOn)
{
    const QString locked = folder("L");
    file("L/z.ani");
    const QString kept = file("O/k.ani");
    {
        LockedFolder lock(locked);
        PermissionChecks checks;
        REQUIRE_UNLISTABLE(locked);
        drop({locked, folder("O")});
    }
    EXPECT_EQ(form->itemTexts(), QStringList{kept});
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(
        "1 folder was left out because it cannot be read (no permission):\n" + locked + "\n"))
        << dialogs.messages[0].text.toStdString();
}

TEST_F(Drop, DataWithoutLocalFilesIsRefusedAndAddsNothing)
{
    QMimeData text;
    text.setText(QStringLiteral("/some/file.ani"));
    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.org/x.ani"))});
    for (const QMimeData* data : {&text, &remote}) {
        EXPECT_FALSE(form->ListView1_OLEDragOver(data));
        EXPECT_FALSE(send(QEvent::DragEnter, *data, Qt::CopyAction | Qt::MoveAction));
        EXPECT_FALSE(send(QEvent::Drop, *data, Qt::CopyAction | Qt::MoveAction));
        form->ListView1_OLEDragDrop(data);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(form->itemCount(), 0);
}

TEST_F(Drop, ADropEventListsThePathsAndReportsACopy)
{
    const QString a = file("e/a.ani");
    const auto data = urls({a});
    Qt::DropAction chosen = Qt::IgnoreAction;
    EXPECT_TRUE(send(QEvent::DragEnter, *data, Qt::CopyAction | Qt::MoveAction, &chosen));
    EXPECT_EQ(chosen, Qt::CopyAction);
    EXPECT_TRUE(send(QEvent::DragMove, *data, Qt::CopyAction | Qt::MoveAction));
    EXPECT_TRUE(send(QEvent::Drop, *data, Qt::CopyAction | Qt::MoveAction, &chosen));
    EXPECT_EQ(chosen, Qt::CopyAction);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->itemTexts(), QStringList{a});
}

TEST_F(Drop, ASourceThatOffersOnlyAMoveIsRefused)
{
    const auto data = urls({file("m.ani")});
    EXPECT_FALSE(send(QEvent::DragEnter, *data, Qt::MoveAction));
    EXPECT_FALSE(send(QEvent::Drop, *data, Qt::MoveAction));
    QCoreApplication::processEvents();
    EXPECT_EQ(form->itemCount(), 0);
}

} // namespace

namespace {

// Names whose bytes are not valid text cannot be listed; the user is told which were left out,
// whether they were dropped themselves or lie in a dropped folder (with what such a folder holds).
TEST_F(Drop, NamesThatAreNotValidTextAreLeftOutWithOneBox)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows names are UTF-16 and always valid";
#else
    const QByteArray rootBytes = QFile::encodeName(root);
    const QString good = file("T/good.ani");
    ASSERT_EQ(::mkdir((rootBytes + "/T/bad\xff dir").constData(), 0700), 0);
    for (const QByteArray& name : {QByteArray("/T/bad\xff dir/inner.ani"),
                                   QByteArray("/T/bad\xfe.ani"), QByteArray("/loose\xfd.ani")}) {
        QFile raw;
        ASSERT_TRUE(raw.open(::open((rootBytes + name).constData(), O_CREAT | O_WRONLY, 0600),
                             QIODevice::WriteOnly, QFile::AutoCloseHandle));
    }
    auto data = std::make_unique<QMimeData>();
    data->setUrls(
        {QUrl::fromLocalFile(root + "/T"),
         QUrl::fromEncoded("file://" +
                           QUrl::toPercentEncoding(QString::fromLatin1(rootBytes + "/loose"), "/") +
                           "%FD.ani")});
    form->ListView1_OLEDragDrop(data.get());
    EXPECT_EQ(form->itemTexts(), QStringList{good});
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const QString text = dialogs.messages[0].text;
    EXPECT_TRUE(text.startsWith("3 files or folders were left out because their names are not "
                                "valid text:"))
        << text.toStdString();
    for (const char* escaped : {"/T/bad\\xff dir", "/T/bad\\xfe.ani", "/loose\\xfd.ani"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(escaped))) << escaped;
#endif
}

} // namespace
