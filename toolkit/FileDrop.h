#pragma once
// Local files dropped on a widget, as from a file manager.

#include <QString>

#include <functional>

class QWidget;

// Lets widget take drops of local files and hands the first one to open once the drop has
// ended. Anything else (text, remote addresses, folders) is refused by the cursor.
void AcceptFileDrops(QWidget* widget, std::function<void(const QString&)> open);
