#pragma once

#include "dialogs.h"

class QMessageBox;
class QWidget;

// The real dialogs, modal to the main window.
class QtDialogs : public Dialogs
{
public:
    explicit QtDialogs(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }

    MessageAnswer messageBox(const QString& text, const QString& title, MessageButtons buttons,
                             MessageIcon icon) override;
    void reportBox(const QString& text, const QString& details, const QString& title) override;
    std::optional<int> actionReportBox(const QString& text, const QString& details,
                                       const QString& title, const QStringList& actions) override;
    void showThemePreview(const QStringList& themeFolders, const QString& title) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    QString openFiles(const QString& title, const QString& filter, int maxChars) override;
    QString browseForFolder(const QString& prompt, const QString& startFolder) override;
    std::optional<QString> chooseColour(const QString& title, const QString& current) override;
    bool openInShell(const QString& pathOrUrl) override;

private:
    QWidget* owner_;
};

// Turns the chosen paths into the dialog's result string: "" for none, the path itself for one,
// else the common folder and the names separated by NUL (or "" and the whole paths when they share
// no one folder). Throws AppError (buffer too small) when
// the result would exceed maxChars.
QString OpenFilesResult(const QStringList& nativePaths, int maxChars);

// A message taller than the screen (a long list of failures) goes into a scroll area, so the box
// and its buttons stay within availableHeight, the screen's height less panels and docks.
void FitMessageBoxToScreen(QMessageBox& box, int availableHeight);
