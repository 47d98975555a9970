#pragma once

#include <QApplication>

// Shows any exception that leaves an event handler in a message box instead of terminating.
class Application : public QApplication {
  public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
