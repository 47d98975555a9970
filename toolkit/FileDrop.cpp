#include "FileDrop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <filesystem>
#include <optional>
#include <system_error>

namespace {
// A dropped local file. An address carries the name's bytes percent-encoded: they are decoded
// to bytes, not to text, which would lose a name that is not UTF-8.
std::optional<QByteArray> DroppedFile(const QUrl& url) {
    if (!url.isLocalFile())
        return std::nullopt;
    const QByteArray path =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    std::error_code error;
    if (path.isEmpty() || std::filesystem::is_directory(path.toStdString(), error))
        return std::nullopt;
    return path;
}

// The files of a drop whose first item is a local file; empty for any other drop.
QList<QByteArray> DroppedFiles(const QMimeData* data) {
    QList<QByteArray> files;
    if (!data || !data->hasUrls() || data->urls().isEmpty() ||
        !DroppedFile(data->urls().constFirst()))
        return files;
    const QList<QUrl> urls = data->urls();
    for (const QUrl& url : urls) {
        if (const std::optional<QByteArray> file = DroppedFile(url))
            files << *file;
    }
    return files;
}

class FileDropFilter : public QObject {
  public:
    FileDropFilter(QWidget* widget, std::function<void(const QList<QByteArray>&)> open)
        : QObject(widget), open_(std::move(open)) {}

  protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() != QEvent::DragEnter && event->type() != QEvent::DragMove &&
            event->type() != QEvent::Drop)
            return false;
        auto* drop = static_cast<QDropEvent*>(event);
        const QList<QByteArray> files = DroppedFiles(drop->mimeData());
        // The file is only read: a drop offered as a move must not make the file manager
        // delete it.
        if (files.isEmpty() || !(drop->possibleActions() & Qt::CopyAction)) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // A message box shown inside the drop would hold up the program the file came from.
        if (event->type() == QEvent::Drop)
            QTimer::singleShot(0, this, [this, files] { open_(files); });
        return true;
    }

  private:
    std::function<void(const QList<QByteArray>&)> open_;
};
} // namespace

void AcceptFileDrops(QWidget* widget, std::function<void(const QList<QByteArray>&)> open) {
    widget->setAcceptDrops(true);
    widget->installEventFilter(new FileDropFilter(widget, std::move(open)));
}
