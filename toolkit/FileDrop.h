#pragma once
// Local files dropped on a widget, as from a file manager.

#include <QByteArray>
#include <QList>

#include <functional>

class QWidget;

// Lets widget take drops of local files and hands them, in the drop's order, to open once the
// drop has ended, each named by its path's exact bytes (as the file functions take it),
// whatever their encoding. A drop whose first item is anything else (text, a remote address, a
// folder) is refused by the cursor; such items later in a drop are left out.
void AcceptFileDrops(QWidget* widget, std::function<void(const QList<QByteArray>&)> open);
