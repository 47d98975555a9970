#include "MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>

#include <new>

namespace {
MessageResponder& Responder() {
    static MessageResponder responder;
    return responder;
}

// Esc closes the box as its close box does, instead of pressing No.
class EscapeCloses : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel)) {
            static_cast<QWidget*>(watched)->close();
            return true;
        }
        return false;
    }
};
} // namespace

QString FailureText(const std::exception& failure) {
    if (dynamic_cast<const std::bad_alloc*>(&failure))
        return QCoreApplication::translate("MessageBox", "there is not enough memory");
    return QString::fromLocal8Bit(failure.what());
}

void SetMessageResponder(MessageResponder responder) {
    Responder() = std::move(responder);
}

MessageAnswer ShowMessage(const QString& text, MessageButtons buttons, const QString& title,
                          MessageIcon icon, QWidget* parent) {
    if (Responder())
        return Responder()({text, buttons, title, icon});

    QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    title, text, QMessageBox::NoButton,
                    parent ? parent : QApplication::activeWindow());
    const bool question = buttons != MessageButtons::OK;
    if (question) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(buttons == MessageButtons::YesNoDefaultNo ? QMessageBox::No
                                                                       : QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    // Only a press of a button answers; the box closed any other way records none.
    QAbstractButton* pressed = nullptr;
    EscapeCloses escape;
    if (buttons == MessageButtons::YesNoOrLater) {
        box.installEventFilter(&escape);
        QObject::connect(&box, &QMessageBox::buttonClicked,
                         [&pressed](QAbstractButton* button) { pressed = button; });
        box.exec();
        if (pressed == box.button(QMessageBox::Yes))
            return MessageAnswer::Yes;
        return pressed == box.button(QMessageBox::No) ? MessageAnswer::No
                                                      : MessageAnswer::Unanswered;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        return question ? MessageAnswer::No : MessageAnswer::OK;
    }
}
