// A drag source for checking drops by hand: a small window that starts a drag with the local
// file paths given on its command line as soon as it is pressed, and prints what the target did.
//
//   dragsource [--at X,Y] [--move-only] PATH...
#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextStream>
#include <QUrl>

namespace {

class DragSource : public QLabel
{
public:
    DragSource(QStringList paths, Qt::DropActions offered)
        : paths_(std::move(paths)), offered_(offered)
    {
        setText(QStringLiteral("Drag %1 path(s) from here").arg(paths_.size()));
        setAlignment(Qt::AlignCenter);
        setStyleSheet(QStringLiteral("background: #ffe9a8; border: 2px solid #a07000;"));
    }

protected:
    void mousePressEvent(QMouseEvent*) override
    {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& path : paths_)
            urls.append(QUrl::fromLocalFile(path));
        data->setUrls(urls);
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction done = drag->exec(offered_, Qt::CopyAction);
        QTextStream(stdout) << "drop action: " << int(done) << Qt::endl;
    }

private:
    QStringList paths_;
    Qt::DropActions offered_;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QPoint at(0, 0);
    Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    if (args.size() >= 2 && args[0] == QLatin1String("--at")) {
        const QStringList xy = args[1].split(QLatin1Char(','));
        if (xy.size() == 2)
            at = {xy[0].toInt(), xy[1].toInt()};
        args = args.mid(2);
    }
    if (!args.isEmpty() && args[0] == QLatin1String("--move-only")) {
        offered = Qt::MoveAction;
        args = args.mid(1);
    }
    if (args.isEmpty()) {
        QTextStream(stderr) << "usage: dragsource [--at X,Y] [--move-only] PATH...\n";
        return 2;
    }
    DragSource source(args, offered);
    source.setWindowTitle(QStringLiteral("dragsource"));
    source.setGeometry(at.x(), at.y(), 220, 80);
    source.show();
    return app.exec();
}
