#include "SizeQuestions.h"

#include "BackgroundWork.h"
#include "MessageBox.h"
#include "Program.h"
#include "SaveableSize.h"

namespace {
QString Pixels(QSize size) {
    return QCoreApplication::translate("SizeQuestions", "%1 \u00d7 %2 pixels")
        .arg(size.width())
        .arg(size.height());
}
} // namespace

namespace {
// The checks may run where the image is decoded: they ask on the window's thread.
SizeCheck OnWindow(SizeCheck check) {
    return [check = std::move(check)](QSize size) { OnWindowThread([&] { check(size); }); };
}
} // namespace

SizeCheck AskBeforeLarge(QWidget* parent, const QString& question) {
    return OnWindow([parent, question](QSize size) {
        const qint64 bytes = PixelBytes(size);
        if (bytes <= LargeImageBytes)
            return;
        const QString text =
            QCoreApplication::translate("SizeQuestions", "The image's %1 need %2 GB of memory. %3")
                .arg(Pixels(size))
                .arg(double(bytes) / double(qint64{1} << 30), 0, 'f', 1)
                .arg(question);
        if (ShowMessage(text, MessageButtons::YesNoDefaultNo, ProgramName(), MessageIcon::None,
                        parent) != MessageAnswer::Yes)
            throw SizeDeclined();
    });
}

SizeCheck SaveableOrAsk(QWidget* parent, const QString& what) {
    return OnWindow(
        [parent, what,
         ask = AskBeforeLarge(
             parent, QCoreApplication::translate("SizeQuestions", "Open it anyway?"))](QSize size) {
            if (!SaveableSize(size)) {
                ShowMessage(QCoreApplication::translate("SizeQuestions",
                                                        "%1 has %2: a target sheet that size "
                                                        "could never be saved. %3")
                                .arg(what, Pixels(size), SaveableSizeRule()),
                            MessageButtons::OK, ProgramName(), MessageIcon::None, parent);
                throw SizeDeclined();
            }
            ask(size);
        });
}

QImage LoadInBackground(QWidget* parent, const std::string& path, const QString& title,
                        const SizeCheck& check) {
    QImage picture;
    if (!RunInBackground(parent,
                         QCoreApplication::translate("MainWindow", "Opening %1...").arg(title),
                         [&](const std::atomic<bool>& cancelled) {
                             picture = LoadPicture(path, check, &cancelled);
                         }))
        throw SizeDeclined();
    return picture;
}
