// The real message box: a report longer than the screen scrolls, and its buttons stay in view.
#include "qtdialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

QString failureList(int count)
{
    QString text = QStringLiteral("%1 files failed:").arg(count);
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("\n/home/me/cursors/a rather long folder name/file %1.ani: damaged "
                               "file: the animation header is missing its frame count")
                    .arg(i);
    return text;
}

TEST(FitMessageBoxToScreen, ALongReportScrollsWithinTheScreenAndAShortOneIsLeftAlone)
{
    constexpr int screenHeight = 800;
    QMessageBox longBox;
    longBox.setText(failureList(60));
    FitMessageBoxToScreen(longBox, screenHeight);
    longBox.show();
    ASSERT_NE(longBox.findChild<QScrollArea*>(), nullptr);
    EXPECT_LE(longBox.frameGeometry().height(), screenHeight);
    const auto* label = qobject_cast<QLabel*>(longBox.findChild<QScrollArea*>()->widget());
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->text().contains("file 60.ani"));

    QMessageBox shortBox;
    shortBox.setText(failureList(2));
    FitMessageBoxToScreen(shortBox, screenHeight);
    EXPECT_EQ(shortBox.findChild<QScrollArea*>(), nullptr);
}

// The box that ends a run: every failure in its details, copied whole by its button while the
// box stays open.
TEST(QtDialogs, AReportBoxCopiesItsDetailsAndStaysOpen)
{
    const QString details = "/a/x.ani: damaged file\n/a/y.ani: not a cursor";
    QApplication::clipboard()->clear();
    bool copied = false;
    bool openAfterCopy = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->detailedText(), details);
        for (QAbstractButton* button : box->buttons())
            if (button->text() == "Copy List")
                button->click();
        copied = QApplication::clipboard()->text() == details;
        openAfterCopy = box->isVisible();
        box->button(QMessageBox::Ok)->click();
    });
    QtDialogs().reportBox("2 of 4 files were converted; 2 could not be converted:", details,
                          "Corvenda");
    EXPECT_TRUE(copied);
    EXPECT_TRUE(openAfterCopy);
}

// Closed with its window's close button or Escape, a box with actions is read and closed; no
// action is taken.
TEST(QtDialogs, AReportBoxWithActionsClosesLikeAnyWindow)
{
    const auto closeBy = [](const std::function<void(QMessageBox*)>& close) {
        bool closed = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            close(box);
            closed = !box->isVisible();
            if (!closed)
                box->button(QMessageBox::Ok)->click(); // ends the test instead of waiting
        });
        const std::optional<int> chosen = QtDialogs().actionReportBox(
            "Done.", "/a/x.ani", "Corvenda", {"Install for Me", "See the Cursors"});
        EXPECT_TRUE(closed);
        EXPECT_EQ(chosen, std::nullopt);
    };
    closeBy([](QMessageBox* box) { box->close(); });
    closeBy([](QMessageBox* box) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(box, &escape);
    });
}

} // namespace
