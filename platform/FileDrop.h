#pragma once
// Local files dropped on a widget, as from a file manager.

#include <QString>

#include <functional>
#include <optional>

class QMimeData;
class QWidget;

// The first file of a drop of local files; none for anything else (text, remote addresses,
// folders).
std::optional<QString> DroppedFile(const QMimeData* data);

// Lets widget take drops of local files and hands the first one to open once the drop has
// ended. Anything else is refused by the cursor.
void AcceptFileDrops(QWidget* widget, std::function<void(const QString&)> open);
