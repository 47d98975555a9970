#include "Application.h"

#include "MessageBox.h"

#include <QFont>

#include <exception>

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    // The windows were laid out for a small dialog font, 11 pixels high.
    QFont dialogFont = font();
    dialogFont.setPixelSize(11);
    setFont(dialogFont);
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowMessage(FailureText(e), MessageButtons::OK, applicationName(), MessageIcon::Critical);
    } catch (...) {
        ShowMessage(QCoreApplication::translate("Application", "Unexpected failure"),
                    MessageButtons::OK, applicationName(), MessageIcon::Critical);
    }
    return false;
}
