#pragma once
// Whether the X display can be opened, asked before the application exists: Qt would end the
// program with an abort (status 134) and a hint to reinstall it.

#include <optional>
#include <string>

// What stands in the way, as the line to print ("cannot open the display \":99\""), or nothing
// when the display answers or the program runs on another platform (offscreen, Wayland), which
// Qt reaches itself.
std::optional<std::string> DisplayProblem();
