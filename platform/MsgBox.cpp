#include "platform/MsgBox.h"

#include <QApplication>
#include <QMessageBox>

#include <new>

namespace {
MsgBoxResponder& Responder() {
    static MsgBoxResponder responder;
    return responder;
}
} // namespace

QString FailureText(const std::exception& failure) {
    if (dynamic_cast<const std::bad_alloc*>(&failure))
        return QStringLiteral("there is not enough memory");
    return QString::fromLocal8Bit(failure.what());
}

void SetMsgBoxResponder(MsgBoxResponder responder) {
    Responder() = std::move(responder);
}

MsgResult MsgBox(const QString& text, MsgButtons buttons, const QString& title, MsgIcon icon,
                 QWidget* parent) {
    if (Responder())
        return Responder()({text, buttons, title, icon});

    QMessageBox box(icon == MsgIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon, title,
                    text, QMessageBox::NoButton, parent ? parent : QApplication::activeWindow());
    if (buttons == MsgButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    default:
        return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::OK;
    }
}
