#include "qtdialogs.h"

#include "apperror.h"
#include "paths.h"
#include "themepreviewdialog.h"

#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QUrl>
#include <algorithm>

namespace {

// Room left for the window's frame and title bar, which the box's own size does not include.
constexpr int kFrameAllowance = 64;
// A list shown in a scroll area still shows this much of itself.
constexpr int kShortestList = 120;

} // namespace

void FitMessageBoxToScreen(QMessageBox& box, int availableHeight)
{
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    const int limit = availableHeight - kFrameAllowance;
    const int excess = box.sizeHint().height() - limit;
    if (!label || !grid || excess <= 0)
        return;
    const int labelHeight = label->sizeHint().height();
    auto* scroll = new QScrollArea(&box);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    delete grid->replaceWidget(label, scroll);
    scroll->setWidget(label);
    scroll->setFixedHeight(std::max(labelHeight - excess, kShortestList));
    scroll->setMinimumWidth(label->sizeHint().width() +
                            scroll->verticalScrollBar()->sizeHint().width());
}

MessageAnswer QtDialogs::messageBox(const QString& text, const QString& title,
                                    MessageButtons buttons, MessageIcon icon)
{
    QMessageBox box(owner_);
    box.setWindowTitle(title);
    // Paths and reasons may hold "<" or "&"; they are never markup.
    box.setTextFormat(Qt::PlainText);
    // The reports use bare carriage returns as line breaks.
    box.setText(QString(text)
                    .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                    .replace(QLatin1Char('\r'), QLatin1Char('\n')));
    box.setIcon(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon);
    if (const QScreen* screen = owner_ ? owner_->screen() : box.screen())
        FitMessageBoxToScreen(box, screen->availableGeometry().height());
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageAnswer::Ok;
}

void QtDialogs::reportBox(const QString& text, const QString& details, const QString& title)
{
    actionReportBox(text, details, title, {});
}

std::optional<int> QtDialogs::actionReportBox(const QString& text, const QString& details,
                                              const QString& title, const QStringList& actions)
{
    QMessageBox box(owner_);
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    if (!details.isEmpty()) {
        box.setDetailedText(details);
        // Copies the whole list without closing the box; Ctrl+C copies the box as a whole.
        QPushButton* copy = box.addButton(QStringLiteral("Copy List"), QMessageBox::ActionRole);
        copy->disconnect();
        QObject::connect(copy, &QPushButton::clicked, &box,
                         [details] { QGuiApplication::clipboard()->setText(details); });
    }
    QList<QAbstractButton*> actionButtons;
    for (const QString& action : actions)
        actionButtons.append(box.addButton(action, QMessageBox::ActionRole));
    box.setDefaultButton(QMessageBox::Ok);
    // With buttons beside OK, Qt finds no button for Escape and ignores the window's close
    // button; closing the box is taking it as read.
    box.setEscapeButton(QMessageBox::Ok);
    if (const QScreen* screen = owner_ ? owner_->screen() : box.screen())
        FitMessageBoxToScreen(box, screen->availableGeometry().height());
    box.exec();
    const qsizetype chosen = actionButtons.indexOf(box.clickedButton());
    if (chosen < 0)
        return std::nullopt;
    return static_cast<int>(chosen);
}

void QtDialogs::showThemePreview(const QStringList& themeFolders, const QString& title)
{
    ThemePreviewDialog dialog(themeFolders, title, owner_);
    dialog.exec();
}

std::optional<QString> QtDialogs::chooseColour(const QString& title, const QString& current)
{
    const QColor chosen = QColorDialog::getColor(QColor::fromString(current), owner_, title);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen.name(QColor::HexRgb).toUpper();
}

std::optional<QString> QtDialogs::inputBox(const QString& prompt, const QString& title,
                                           const QString& defaultText)
{
    QInputDialog dialog(owner_);
    dialog.setWindowTitle(title);
    dialog.setLabelText(QString(prompt).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    dialog.setTextValue(defaultText);
    for (QLabel* label : dialog.findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QString OpenFilesResult(const QStringList& nativePaths, int maxChars)
{
    QString result;
    if (nativePaths.size() == 1) {
        result = nativePaths.front();
    } else if (nativePaths.size() > 1) {
        // Names typed with a folder of their own ("sub/s.ani") or picked from several folders do
        // not share one folder; they travel whole, behind an empty folder part.
        const QString folder = FolderOf(nativePaths.front());
        const bool oneFolder = std::all_of(nativePaths.cbegin(), nativePaths.cend(),
                                           [&](const QString& p) { return FolderOf(p) == folder; });
        if (oneFolder) {
            result = folder;
            // Only a root keeps its trailing separator.
            if (result.size() > 1 && !result.endsWith(QStringLiteral(":\\")))
                result.chop(1);
        }
        for (const QString& path : nativePaths)
            result += QChar(0) + (oneFolder ? FileNameOf(path) : path);
    }
    if (result.size() > maxChars)
        throw AppError(ErrorNumber::kBufferTooSmall,
                       QStringLiteral("The chosen file names do not fit the dialog's buffer"));
    return result;
}

QString QtDialogs::openFiles(const QString& title, const QString& filter, int maxChars)
{
    // "Description (*.ext)|*.ext|" pairs become Qt's "Description (*.ext)" entries.
    const QStringList parts = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList qtFilters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        qtFilters << parts[i];
    QStringList chosen = QFileDialog::getOpenFileNames(owner_, title, QString(),
                                                       qtFilters.join(QStringLiteral(";;")));
    for (QString& path : chosen)
        path = QDir::toNativeSeparators(path);
    return OpenFilesResult(chosen, maxChars);
}

QString QtDialogs::browseForFolder(const QString& prompt, const QString& startFolder)
{
    const QString folder = QFileDialog::getExistingDirectory(owner_, prompt, startFolder);
    return QDir::toNativeSeparators(folder);
}

bool QtDialogs::openInShell(const QString& pathOrUrl)
{
    const QUrl url = pathOrUrl.contains(QStringLiteral("://")) ? QUrl(pathOrUrl)
                                                               : QUrl::fromLocalFile(pathOrUrl);
    return QDesktopServices::openUrl(url);
}
