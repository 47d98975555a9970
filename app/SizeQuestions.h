#pragma once
// What an open or a paste asks, or refuses, once an image's declared size is known and before
// any of its pixels is decoded.

#include "ImageFile.h"

class QWidget;

// Thrown by the checks below where the user said No or was told why, and where the user
// cancelled the work: the command ends with nothing changed and nothing more to say.
struct SizeDeclined {};

// An image needing more than LargeImageBytes asks first, naming its size and memory
// ("... 32767 x 32767 pixels need 3.0 GB of memory. Open it anyway?"); No is the default.
// question: the last sentence, "Open it anyway?" or "Paste it anyway?", translated whole.
SizeCheck AskBeforeLarge(QWidget* parent, const QString& question);

// For a target: a size no save could write is refused with a message saying why; then the
// question of AskBeforeLarge.
SizeCheck SaveableOrAsk(QWidget* parent, const QString& what);

// Decoded on a thread of its own with the check, the window repainting meanwhile (progress
// past half a second, titled with the file's title); Cancel throws SizeDeclined.
QImage LoadInBackground(QWidget* parent, const std::string& path, const QString& title,
                        const SizeCheck& check);
