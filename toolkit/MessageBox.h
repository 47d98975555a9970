#pragma once
// Modal message boxes in the old toolkit's shape: text, buttons, title, icon; Yes/No/OK back.

#include <QString>

#include <exception>
#include <functional>

class QWidget;

// YesNoDefaultNo: for a question where Enter or a slip must not say yes. YesNoOrLater: Yes the
// default, and a box closed any other way than by Yes or No (its close box, Esc, the program
// ending) answers Unanswered, for a question only an explicit No may decline.
enum class MessageButtons { OK, YesNo, YesNoDefaultNo, YesNoOrLater };
enum class MessageIcon { None, Critical };
enum class MessageAnswer { OK, Yes, No, Unanswered };

struct MessageCall {
    QString Text;
    MessageButtons Buttons = MessageButtons::OK;
    QString Title;
    MessageIcon Icon = MessageIcon::None;
};

MessageAnswer ShowMessage(const QString& text, MessageButtons buttons, const QString& title,
                          MessageIcon icon = MessageIcon::None, QWidget* parent = nullptr);

// What a failure says to the user: its own text, or plain words where the library's text
// would be a type name ("std::bad_alloc").
QString FailureText(const std::exception& failure);

// Tests answer message boxes through one process-wide responder instead of a window.
using MessageResponder = std::function<MessageAnswer(const MessageCall&)>;
void SetMessageResponder(MessageResponder responder);
