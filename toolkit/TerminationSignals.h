#pragma once
// SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGUSR1 and SIGUSR2 delivered to the event loop as ordinary
// events.

#include <functional>

class QObject;

// From now on each of these signals calls handler(signal) from the event loop, while
// context lives. The signal handler itself only writes the signal's number to a pipe that
// the loop watches: nothing else is safe inside a signal handler.
void OnTerminationSignals(QObject* context, std::function<void(int)> handler);
