#include "SizeQuestions.h"

#include "BackgroundWork.h"
#include "MessageBox.h"
#include "Program.h"
#include "SaveableSize.h"

namespace {
QString Pixels(QSize size) {
    return QStringLiteral("%1 \u00d7 %2 pixels").arg(size.width()).arg(size.height());
}
} // namespace

namespace {
// The checks may run where the image is decoded: they ask on the window's thread.
SizeCheck OnWindow(SizeCheck check) {
    return [check = std::move(check)](QSize size) { OnWindowThread([&] { check(size); }); };
}
} // namespace

SizeCheck AskBeforeLarge(QWidget* parent, const QString& verb) {
    return OnWindow([parent, verb](QSize size) {
        const qint64 bytes = PixelBytes(size);
        if (bytes <= LargeImageBytes)
            return;
        const QString text = QStringLiteral("The image's %1 need %2 GB of memory. %3 it anyway?")
                                 .arg(Pixels(size))
                                 .arg(double(bytes) / double(qint64{1} << 30), 0, 'f', 1)
                                 .arg(verb);
        if (ShowMessage(text, MessageButtons::YesNoDefaultNo, ProgramName(), MessageIcon::None,
                        parent) != MessageAnswer::Yes)
            throw SizeDeclined();
    });
}

SizeCheck SaveableOrAsk(QWidget* parent, const QString& what) {
    return OnWindow(
        [parent, what, ask = AskBeforeLarge(parent, QStringLiteral("Open"))](QSize size) {
            if (!SaveableSize(size)) {
                ShowMessage(QStringLiteral("%1 has %2: a target sheet that size could never be "
                                           "saved. %3")
                                .arg(what, Pixels(size), QString::fromLatin1(SaveableSizeRule())),
                            MessageButtons::OK, ProgramName(), MessageIcon::None, parent);
                throw SizeDeclined();
            }
            ask(size);
        });
}
