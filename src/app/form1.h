#pragma once

#include "addfolder.h"
#include "appcontext.h"
#include "outputchoice.h"

#include <QCursor>
#include <QPersistentModelIndex>
#include <QWidget>
#include <memory>
#include <optional>

class CommandLineFiles;
class ConversionRun;
class LeftOutNames;
class QCheckBox;
class QFrame;
class QGroupBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QTreeWidget;
class Trap;
class RunPlan;
class ThemeRunReport;
struct PlanChoices;

// Values of the window's mouse pointer.
namespace MousePointer {
inline constexpr int kDefault = 0;
inline constexpr int kArrow = 1;
inline constexpr int kHourglass = 11;
inline constexpr int kCustom = 99;
} // namespace MousePointer

// The main window. Handlers read controls, call plain classes and show results; each group of
// handlers lives in its own source file (form1_*.cpp).
class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(AppContext context, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up: skin, pointers, caption, list column and the stored output options.
    void Form_Load();

    int mousePointer() const { return mousePointer_; }
    void setMousePointer(int value);
    const QString& applicationTitle() const { return applicationTitle_; }
    const AppContext& context() const { return context_; }

    // The file list: items are addressed from 1, their text is a full path.
    void appendPath(const QString& path);
    void appendPaths(const QStringList& paths);
    int itemCount() const;
    // The choice of "Save as:".
    OutputChoice outputChoice() const;
    QString itemText(int index) const;
    void setItemText(int index, const QString& text);
    void removeItem(int index);
    void clearItems();
    // Index of the selected item, 0 when none.
    int selectedIndex() const;
    void selectItem(int index);
    QStringList itemTexts() const;

    // Start-up procedures.
    void ApplySkin();
    void VisitHomePageAtRandom();
    void SetApplicationTitle();

    // Pointer handlers.
    void Form_MouseMove();
    void PushButton_MouseMove();

    // "Add ANI File(s)".
    void PushButton1_Click();
    // "Add All ANI File(s) In Folder".
    void PushButton4_Click();
    // Output options.
    void Slider1_Change();
    void Option1_Click();
    void Option2_Click();
    // Both save options: store the pair, enable the folder with the first.
    void SaveOption_Click(const char* procedure);
    // "Save as:" and the background colour beside it.
    void Combo1_Click();
    void BackgroundButton_Click();
    // "#RRGGBB".
    QString background() const { return background_; }
    // The Linux cursor sizes, which share the quality frame; none: the converter's choice.
    void CursorSizes_Click(QCheckBox* box);
    QList<int> cursorSizes() const;
    void Text1_Change();
    void PushButton9_Click();
    // "Start Converting", which reads "Stop Converting" during a run.
    void PushButton2_Click();
    // Ends the run under way, if any: its converter is killed and the final box says so.
    void StopConversion();
    // Drag and drop onto the list.
    bool ListView1_OLEDragOver(const QMimeData* data) const;
    void ListView1_OLEDragDrop(const QMimeData* data);
    // List editing.
    void ListView1_DblClick();
    void ListView1_KeyDown(int key);
    void PushButton6_Click();
    void ListView1_MouseDown();
    void ListView1_ItemClick();
    void ListView1_MouseMove(const QPoint& position);
    void ListView1_MouseUp();
    // "Load Sample/Example Files".
    void PushButton7_Click();
    // Files and folders named on the command line, listed as a drop lists them.
    void ListCommandLineFiles(CommandLineFiles& files);

    QTreeWidget* ListView1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton6 = nullptr;
    QPushButton* PushButton7 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QSlider* Slider1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QFrame* Frame3 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* PushButton9 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* BackgroundButton = nullptr;
    // In the quality frame for Linux cursors: "As in the files", then a box per size offered.
    QWidget* SizesRow = nullptr;
    QCheckBox* FileSizes = nullptr;
    QList<QCheckBox*> SizeChecks;

    // Conversion run.
    bool Converting = false;

signals:
    // A conversion run has ended and its final box was shown.
    void conversionFinished();

public:
    // Reordering by dragging.
    bool ListMouseDown = false;
    QPersistentModelIndex DraggedItem;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void connectHandlers();
    // The list's own events (drop, editing) are routed by the editing handlers' file.
    void connectListEvents();
    Trap makeTrap(const char* procedure) const;
    void storeSetting(const QString& key, const QString& text);
    void startConversion(const PlanChoices& choices);
    void startRun(RunPlan plan);
    // Installs the themes of these packs for the user, as another run.
    void startInstall(PlanChoices choices, const QStringList& sources);
    // The final box of a theme run, with its actions: the sources to install, if the user asked.
    std::optional<QStringList> ShowThemeBox(const ThemeRunReport& report, const QString& text,
                                            bool installed);
    void ShowCursorSizes(const QList<int>& sizes);
    // Controls that would change a run's plan are disabled while it goes on.
    void ShowRunning(bool running);
    // The quality frame's caption and whether the slider applies, for the output chosen.
    void ShowQualityFor(OutputChoice choice);
    // The button shows the colour; the colour only matters to JPG and GIF.
    void ShowBackground(const QString& colour);
    void conversionEnded();
    // Whether items may be removed now; during a run they may not, and the user is told why.
    bool listMayChange();
    // Keeps the window alive during a folder walk; counts the walks under way.
    WalkPacer walkPacer();
    // Says which files a walk or a drop left out because their names are not valid text.
    void reportLeftOut(const LeftOutNames& leftOut);
    // Counts a folder walk as under way for as long as it lives.
    class WalkScope
    {
    public:
        explicit WalkScope(Form1& form) : form_(form) { ++form_.walks_; }
        ~WalkScope() { --form_.walks_; }
        WalkScope(const WalkScope&) = delete;
        WalkScope& operator=(const WalkScope&) = delete;

    private:
        Form1& form_;
    };

    AppContext context_;
    QString applicationTitle_;
    int mousePointer_ = MousePointer::kDefault;
    std::optional<QCursor> handCursor_;

    class RunHost;
    std::unique_ptr<RunHost> runHost_;
    ConversionRun* run_ = nullptr;
    bool closing_ = false;
    bool restoringSettings_ = false;
    QString background_ = kWhiteBackground;
    int walks_ = 0;
};
