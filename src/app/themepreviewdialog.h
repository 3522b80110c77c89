#pragma once

#include "themepreview.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>
#include <vector>

class QComboBox;
class QGridLayout;
class QLabel;
class QCheckBox;

// The cursors of Linux cursor themes, a cell per Windows role, playing as desktops play them.
class ThemePreviewDialog : public QDialog
{
    Q_OBJECT

public:
    // The size of cursor shown: what desktops use on a screen of twice the usual density, and
    // large enough to see the drawing.
    static constexpr int kShownSize = 48;

    // title: the program's, which the window's title starts with.
    ThemePreviewDialog(const QStringList& themeFolders, const QString& title,
                       QWidget* parent = nullptr);

    // Shows the theme at `index` of the folders given.
    void showTheme(int index);
    // Shows each cursor's step at `elapsed` milliseconds into its animation.
    void showAt(quint64 elapsed);

    // For tests: the step each role's cell shows, -1 where the role has no cursor.
    std::vector<int> shownSteps() const;
    const themepreview::ThemePreview& theme() const { return theme_; }
    // Why the theme cannot be shown, "" when it can.
    QString problem() const;

private:
    struct Cell
    {
        QLabel* picture = nullptr;
        QLabel* caption = nullptr;
        int shown = -1;
    };

    void buildCells();
    void setBackground(bool dark);

    QStringList folders_;
    QString title_;
    themepreview::ThemePreview theme_;
    QComboBox* chooser_ = nullptr;
    QLabel* where_ = nullptr;
    QLabel* problem_ = nullptr;
    QLabel* legend_ = nullptr;
    QWidget* panel_ = nullptr;
    QCheckBox* dark_ = nullptr;
    std::vector<Cell> cells_;
    QTimer tick_;
    QElapsedTimer clock_;
};
