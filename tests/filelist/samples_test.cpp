#include "samplefiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(IsInList, WholeTextCaseSensitive)
{
    const QStringList texts{"C:\\p\\Samples\\a.ani", "C:\\p\\Samples\\b.ani"};
    EXPECT_TRUE(IsInList(texts, "C:\\p\\Samples\\b.ani"));
    EXPECT_FALSE(IsInList(texts, "C:\\p\\Samples\\B.ani"));
    EXPECT_FALSE(IsInList(texts, "C:\\p\\Samples\\a"));
    EXPECT_FALSE(IsInList(texts, "C:\\p\\Samples\\a.ani "));
    EXPECT_FALSE(IsInList({}, ""));
}

TEST(SamplePathsToAdd, ExistingUnlistedSamplesInNameOrder)
{
    QTemporaryDir temp;
    const QString folder = QDir::toNativeSeparators(temp.path());
    const QString sep = QDir::separator();
    for (const char* name : {"z.ani", "a.ani", "m.ani"})
        QFile(temp.filePath(name)).open(QIODevice::WriteOnly);
    const QStringList names{"z.ani", "gone.ani", "a.ani", "m.ani", "z.ani"};
    EXPECT_EQ(SamplePathsToAdd(folder, names, {folder + sep + "a.ani"}),
              (QStringList{folder + sep + "z.ani", folder + sep + "m.ani"}));
}

} // namespace
