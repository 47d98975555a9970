#pragma once
// Modal message boxes in the old toolkit's shape: text, buttons, title, icon; Yes/No/OK back.

#include <QString>

#include <exception>
#include <functional>

class QWidget;

enum class MsgButtons { OK, YesNo };
enum class MsgIcon { None, Critical };
enum class MsgResult { OK, Yes, No };

struct MsgBoxCall {
    QString Text;
    MsgButtons Buttons = MsgButtons::OK;
    QString Title;
    MsgIcon Icon = MsgIcon::None;
};

MsgResult MsgBox(const QString& text, MsgButtons buttons, const QString& title,
                 MsgIcon icon = MsgIcon::None, QWidget* parent = nullptr);

// What a failure says to the user: its own text, or plain words where the library's text
// would be a type name ("std::bad_alloc").
QString FailureText(const std::exception& failure);

// Tests answer message boxes through one process-wide responder instead of a window.
using MsgBoxResponder = std::function<MsgResult(const MsgBoxCall&)>;
void SetMsgBoxResponder(MsgBoxResponder responder);
