#pragma once

#include <QString>
#include <QStringList>
#include <optional>

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Warning };
enum class MessageAnswer { Ok, Yes, No };

// Every modal interaction of the program goes through this interface, so the window can be
// driven headless by a scripted implementation.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    virtual MessageAnswer messageBox(const QString& text, const QString& title,
                                     MessageButtons buttons, MessageIcon icon) = 0;

    // A box with OK and, when details are given, a list the user can show and copy whole (every
    // file a run could not convert).
    virtual void reportBox(const QString& text, const QString& details, const QString& title)
    {
        messageBox(details.isEmpty() ? text : text + QStringLiteral("\n\n") + details, title,
                   MessageButtons::Ok, MessageIcon::None);
    }

    // A report box that also offers what may follow (actions, a button each, besides OK and
    // "Copy List"): the index of the action pressed, or nothing for OK or a closed box.
    virtual std::optional<int> actionReportBox(const QString& text, const QString& details,
                                               const QString& title,
                                               const QStringList& actions) = 0;

    // Shows the cursors of the Linux cursor themes in these folders role by role, animated as
    // desktops play them, until the user closes it.
    virtual void showThemePreview(const QStringList& themeFolders, const QString& title) = 0;

    // The entered text, or nothing when the user cancelled.
    virtual std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                            const QString& defaultText) = 0;

    // "" on cancel; one full path; or the folder, then each chosen name, separated by NUL; or, when
    // the paths share no one folder, an empty folder part and each whole path.
    // Throws AppError with ErrorNumber::kBufferTooSmall when the result exceeds maxChars.
    virtual QString openFiles(const QString& title, const QString& filter, int maxChars) = 0;

    // The chosen folder without a trailing separator (except for a root), or "" on cancel.
    virtual QString browseForFolder(const QString& prompt, const QString& startFolder) = 0;

    // A colour picked by the user, as "#RRGGBB", starting from `current`; nothing on cancel.
    virtual std::optional<QString> chooseColour(const QString& title, const QString& current) = 0;

    // Opens a folder or an address with the desktop's default handler; false when it could not.
    virtual bool openInShell(const QString& pathOrUrl) = 0;
};
