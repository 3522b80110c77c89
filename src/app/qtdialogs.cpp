#include "qtdialogs.h"

#include "apperror.h"
#include "paths.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

MessageAnswer QtDialogs::messageBox(const QString& text, const QString& title,
                                    MessageButtons buttons, MessageIcon icon)
{
    QMessageBox box(owner_);
    box.setWindowTitle(title);
    // The reports use bare carriage returns as line breaks.
    box.setText(QString(text)
                    .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                    .replace(QLatin1Char('\r'), QLatin1Char('\n')));
    box.setIcon(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon);
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageAnswer::Ok;
}

std::optional<QString> QtDialogs::inputBox(const QString& prompt, const QString& title,
                                           const QString& defaultText)
{
    bool ok = false;
    const QString label = QString(prompt).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QString text = QInputDialog::getText(owner_, title, label, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString OpenFilesResult(const QStringList& nativePaths, int maxChars)
{
    QString result;
    if (nativePaths.size() == 1) {
        result = nativePaths.front();
    } else if (nativePaths.size() > 1) {
        QString folder = FolderOf(nativePaths.front());
        // Only a root keeps its trailing separator.
        if (folder.size() > 1 && !folder.endsWith(QStringLiteral(":\\")))
            folder.chop(1);
        result = folder;
        for (const QString& path : nativePaths)
            result += QChar(0) + FileNameOf(path);
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

void QtDialogs::openInShell(const QString& pathOrUrl)
{
    const QUrl url = pathOrUrl.contains(QStringLiteral("://")) ? QUrl(pathOrUrl)
                                                               : QUrl::fromLocalFile(pathOrUrl);
    QDesktopServices::openUrl(url);
}
