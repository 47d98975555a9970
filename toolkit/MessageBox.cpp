#include "MessageBox.h"

#include <QApplication>
#include <QMessageBox>

#include <new>

namespace {
MessageResponder& Responder() {
    static MessageResponder responder;
    return responder;
}
} // namespace

QString FailureText(const std::exception& failure) {
    if (dynamic_cast<const std::bad_alloc*>(&failure))
        return QStringLiteral("there is not enough memory");
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
        box.setDefaultButton(buttons == MessageButtons::YesNo ? QMessageBox::Yes : QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
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
