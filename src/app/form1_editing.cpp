#include "dropdata.h"
#include "form1.h"
#include "listreorder.h"
#include "paths.h"
#include "trap.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

namespace {

// Routes the list's own events to the window's handlers. The view keeps its normal behaviour
// except where a handler takes over: moves while the button is held (no rubber-band selection or
// auto-scroll of its own), double clicks, and everything about drops.
class ListEventRouter : public QObject
{
public:
    explicit ListEventRouter(Form1& form)
        : QObject(form.ListView1), form_(form), list_(form.ListView1),
          viewport_(form.ListView1->viewport())
    {
    }

protected:
    // Only the events routed touch the window, so nothing reaches it while it is torn down.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
            dragOver(static_cast<QDropEvent*>(event));
            return true;
        case QEvent::Drop:
            drop(static_cast<QDropEvent*>(event));
            return true;
        case QEvent::KeyPress:
            if (watched == list_)
                form_.ListView1_KeyDown(static_cast<QKeyEvent*>(event)->key());
            return false;
        case QEvent::MouseButtonPress:
            // The view handles the press next and raises itemPressed, which is the item click.
            if (watched == viewport_)
                form_.ListView1_MouseDown();
            return false;
        case QEvent::MouseMove:
            if (watched == viewport_) {
                const bool dragging = form_.ListMouseDown;
                form_.ListView1_MouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
                return dragging;
            }
            return false;
        case QEvent::MouseButtonRelease:
            if (watched == viewport_)
                form_.ListView1_MouseUp();
            return false;
        case QEvent::MouseButtonDblClick:
            if (watched != viewport_)
                return false;
            form_.ListView1_DblClick();
            return true;
        default:
            return false;
        }
    }

private:
    void dragOver(QDropEvent* event)
    {
        const std::optional<Qt::DropAction> action = DropActionFor(event->possibleActions());
        if (!action || !form_.ListView1_OLEDragOver(event->mimeData())) {
            event->ignore();
            return;
        }
        event->setDropAction(*action);
        event->accept();
    }

    // The drag source is released at once; the paths are taken from a copy afterwards, since a
    // folder walk lets events run and may take long.
    void drop(QDropEvent* event)
    {
        const std::optional<Qt::DropAction> action = DropActionFor(event->possibleActions());
        if (!action || !form_.ListView1_OLEDragOver(event->mimeData())) {
            event->ignore();
            return;
        }
        auto data = std::make_shared<QMimeData>();
        data->setUrls(event->mimeData()->urls());
        event->setDropAction(*action);
        event->accept();
        QTimer::singleShot(0, &form_,
                           [form = &form_, data] { form->ListView1_OLEDragDrop(data.get()); });
    }

    Form1& form_;
    QObject* list_;
    QObject* viewport_;
};

int draggedRow(const Form1& form)
{
    const QPersistentModelIndex& item = form.DraggedItem;
    if (!item.isValid() || item.model() != form.ListView1->model() || item.parent().isValid())
        return 0;
    return item.row() + 1;
}

// Removes the list's selected item, unless a walk is busy with the list.
void removeSelectedItem(Form1& form)
{
    if (form.mousePointer() == MousePointer::kHourglass)
        return;
    if (form.itemCount() == 0)
        return;
    const int selected = form.selectedIndex();
    if (selected == 0)
        return;
    form.removeItem(selected);
}

} // namespace

void Form1::connectListEvents()
{
    // The list only receives drops; it never starts a drag of its own.
    ListView1->setDragEnabled(false);
    ListView1->setAcceptDrops(true);
    ListView1->viewport()->setAcceptDrops(true);
    // Moves without a button held reach the handler too: they take back the buttons' pointer.
    ListView1->viewport()->setMouseTracking(true);
    auto* router = new ListEventRouter(*this);
    ListView1->installEventFilter(router);
    ListView1->viewport()->installEventFilter(router);
    // Qt raises its click on release; the drag needs the item as soon as it is pressed.
    connect(ListView1, &QTreeWidget::itemPressed, this, [this] { ListView1_ItemClick(); });
}

void Form1::ListView1_DblClick()
{
    if (selectedIndex() != 0 && listMayChange())
        removeSelectedItem(*this);
}

void Form1::ListView1_KeyDown(int key)
{
    if (key != Qt::Key_Delete)
        return;
    if (selectedIndex() != 0 && listMayChange())
        removeSelectedItem(*this);
}

void Form1::PushButton6_Click()
{
    Trap trap = makeTrap("PushButton6_Click");
    if (!listMayChange())
        return;
    if (trap.test(100, [&] { return mousePointer() != MousePointer::kHourglass; }))
        trap.at(100, [&] { clearItems(); });
}

void Form1::ListView1_MouseDown()
{
    // The list keeps its order during a run, as the run's plan does.
    ListMouseDown = !Converting;
}

void Form1::ListView1_ItemClick()
{
    if (Converting)
        return;
    const QPixmap dragIcon(context().programFolder + NativeSeparator() + "drag.ico");
    if (dragIcon.isNull())
        ListView1->unsetCursor();
    else
        ListView1->setCursor(QCursor(dragIcon));
    ListView1->setDragEnabled(false);
    const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
    DraggedItem = selected.isEmpty() ? QPersistentModelIndex()
                                     : QPersistentModelIndex(ListView1->model()->index(
                                           ListView1->indexOfTopLevelItem(selected.front()), 0));
}

void Form1::ListView1_MouseMove(const QPoint& position)
{
    if (mousePointer() != MousePointer::kHourglass)
        setMousePointer(MousePointer::kDefault);
    if (!ListMouseDown)
        return;

    QTreeWidgetItem* ItemUnderCursor = ListView1->itemAt(position);
    const int underRow = ItemUnderCursor ? ListView1->indexOfTopLevelItem(ItemUnderCursor) + 1 : 0;
    const int fromRow = draggedRow(*this);
    const auto textAt = [this](int row) -> std::optional<QString> {
        if (row < 1)
            return std::nullopt;
        return itemText(row);
    };
    const std::optional<QString> draggedText = textAt(fromRow);
    const std::optional<QString> underText = textAt(underRow);
    if (!ShouldSwapTexts(draggedText, underText))
        return;

    setItemText(fromRow, *underText);
    setItemText(underRow, *draggedText);
    selectItem(underRow);
    DraggedItem = QPersistentModelIndex(ListView1->model()->index(underRow - 1, 0));

    const ScrollBand band = ScrollBandAt(position.y(), ListView1->viewport()->height(),
                                         ListView1->visualItemRect(ItemUnderCursor).height());
    if (const int reveal = RowToReveal(underRow, itemCount(), band))
        ListView1->scrollToItem(ListView1->topLevelItem(reveal - 1));
}

void Form1::ListView1_MouseUp()
{
    ListMouseDown = false;
    ListView1->setCursor(Qt::ArrowCursor);
}
