#pragma once
// Local files dropped on a widget, as from a file manager.

#include <QByteArray>

#include <functional>

class QWidget;

// Lets widget take drops of local files and hands the first one to open once the drop has
// ended, named by its path's exact bytes (as the file functions take it), whatever their
// encoding. Anything else (text, remote addresses, folders) is refused by the cursor.
void AcceptFileDrops(QWidget* widget, std::function<void(const QByteArray&)> open);
