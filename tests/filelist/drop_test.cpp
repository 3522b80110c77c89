#include "dropdata.h"
#include "dropintake.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

TEST(DropData, LocalFilePathsInSourceOrderWithNativeSeparators)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/b/second.ani"), QUrl("https://example.org/x.ani"),
                  QUrl::fromLocalFile("/a/first.txt")});
    EXPECT_TRUE(OffersLocalFiles(&data));
    EXPECT_EQ(DroppedPaths(&data), (QStringList{QDir::toNativeSeparators("/b/second.ani"),
                                                QDir::toNativeSeparators("/a/first.txt")}));
}

TEST(DropData, CopyOrLinkIsReportedNeverAMove)
{
    EXPECT_EQ(DropActionFor(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction), Qt::CopyAction);
    EXPECT_EQ(DropActionFor(Qt::MoveAction | Qt::LinkAction), Qt::LinkAction);
    EXPECT_EQ(DropActionFor(Qt::MoveAction), std::nullopt);
    EXPECT_EQ(DropActionFor(Qt::IgnoreAction), std::nullopt);
}

TEST(DroppedKind, FolderFileOrMissing)
{
    QTemporaryDir temp;
    const QString file = temp.filePath("f.ani");
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_EQ(KindOfDroppedPath(temp.path()), DroppedKind::Folder);
    EXPECT_EQ(KindOfDroppedPath(temp.path() + "/"), DroppedKind::Folder);
    EXPECT_EQ(KindOfDroppedPath(file), DroppedKind::File);
    EXPECT_EQ(KindOfDroppedPath(temp.filePath("gone.ani")), DroppedKind::Missing);
    EXPECT_EQ(KindOfDroppedPath(QString()), DroppedKind::Missing);
}

} // namespace
