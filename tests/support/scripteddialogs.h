#pragma once

#include "dialogs.h"
#include "qtprinters.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

// Records every dialog the program shows and answers from queues. An empty queue answers as a
// user who cancels (message boxes: OK, or No for a question).
class ScriptedDialogs : public Dialogs
{
public:
    struct Message
    {
        QString text;
        QString title;
        MessageButtons buttons;
        MessageIcon icon;
        // A report box's details; empty for plain message boxes.
        QString details;
        // The actions a report box offered.
        QStringList actions = {};
    };
    struct Input
    {
        QString prompt;
        QString title;
        QString defaultText;
    };
    struct Browse
    {
        QString prompt;
        QString start;
    };

    MessageAnswer messageBox(const QString& text, const QString& title, MessageButtons buttons,
                             MessageIcon icon) override
    {
        messages.push_back({text, title, buttons, icon, {}});
        if (onMessage)
            onMessage();
        if (!messageAnswers.empty()) {
            const MessageAnswer answer = messageAnswers.front();
            messageAnswers.pop_front();
            return answer;
        }
        return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }

    void reportBox(const QString& text, const QString& details, const QString& title) override
    {
        messages.push_back({text, title, MessageButtons::Ok, MessageIcon::None, details});
        if (onMessage)
            onMessage();
    }

    std::optional<int> actionReportBox(const QString& text, const QString& details,
                                       const QString& title, const QStringList& actions) override
    {
        messages.push_back({text, title, MessageButtons::Ok, MessageIcon::None, details, actions});
        if (onMessage)
            onMessage();
        if (actionAnswers.empty())
            return std::nullopt;
        // Answered by the action's name, so a test reads as what the user pressed.
        const QString answer = actionAnswers.front();
        actionAnswers.pop_front();
        const qsizetype index = actions.indexOf(answer);
        if (index < 0)
            return std::nullopt;
        return static_cast<int>(index);
    }

    void showThemePreview(const QStringList& themeFolders, const QString& title) override
    {
        previews.push_back({themeFolders, title});
    }

    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override
    {
        inputs.push_back({prompt, title, defaultText});
        if (inputAnswers.empty())
            return std::nullopt;
        auto answer = inputAnswers.front();
        inputAnswers.pop_front();
        return answer;
    }

    QString openFiles(const QString& title, const QString& filter, int maxChars) override
    {
        openFilesRequests.push_back({title, filter, QString::number(maxChars)});
        if (openFilesAnswers.empty())
            return {};
        auto answer = openFilesAnswers.front();
        openFilesAnswers.pop_front();
        return answer(maxChars);
    }

    QString browseForFolder(const QString& prompt, const QString& startFolder) override
    {
        browses.push_back({prompt, startFolder});
        if (browseAnswers.empty())
            return {};
        const QString answer = browseAnswers.front();
        browseAnswers.pop_front();
        return answer;
    }

    std::optional<QString> chooseColour(const QString& title, const QString& current) override
    {
        colourRequests.push_back({title, current});
        if (colourAnswers.empty())
            return std::nullopt;
        auto answer = colourAnswers.front();
        colourAnswers.pop_front();
        return answer;
    }

    bool openInShell(const QString& pathOrUrl) override
    {
        shellOpened.push_back(pathOrUrl);
        return shellOpens;
    }

    // Answers queued by the test.
    std::deque<MessageAnswer> messageAnswers;
    std::deque<std::optional<QString>> inputAnswers;
    // Each answer gets the dialog's buffer size; it may throw like the real dialog.
    std::deque<std::function<QString(int)>> openFilesAnswers;
    std::deque<QString> browseAnswers;
    std::deque<std::optional<QString>> colourAnswers;
    // The actions pressed in report boxes that offer some, by name; an empty queue, or a name
    // the box does not offer, presses OK.
    std::deque<QString> actionAnswers;
    // Whether the desktop manages to open what it is asked to.
    bool shellOpens = true;
    // Runs when a message box is shown, for tests that act in the middle of a handler.
    std::function<void()> onMessage;

    // What was shown.
    std::vector<Message> messages;
    std::vector<Input> inputs;
    std::vector<QStringList> openFilesRequests;
    std::vector<Browse> browses;
    // Title and starting colour of each colour dialog.
    std::vector<std::pair<QString, QString>> colourRequests;
    QStringList shellOpened;
    // The theme folders and title of each preview shown.
    std::vector<std::pair<QStringList, QString>> previews;
};
