#include "FileDialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>

namespace {
FileDialog::Responder& TheResponder() {
    static FileDialog::Responder responder;
    return responder;
}

// Qt adds the default suffix to every name typed without an extension. A name that exists
// exactly as typed is that file: it is taken (after the overwrite question) as it stands.
class SuffixDialog : public QFileDialog {
  public:
    using QFileDialog::QFileDialog;
    QString Chosen;

    void accept() override {
        const QString suffix = defaultSuffix();
        setDefaultSuffix({});
        const QStringList typed = selectedFiles();
        if (typed.size() != 1 || !QFileInfo(typed.constFirst()).isFile())
            setDefaultSuffix(suffix);
        QFileDialog::accept();
        if (result() == QDialog::Accepted && !selectedFiles().isEmpty())
            Chosen = selectedFiles().constFirst();
        setDefaultSuffix(suffix);
    }
};
} // namespace

void FileDialog::SetResponder(Responder responder) {
    TheResponder() = std::move(responder);
}

QStringList FileDialog::NameFilters() const {
    QStringList filters;
    const QStringList parts = Filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QStringLiteral(" (") +
                       QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) +
                       QLatin1Char(')');
    return filters;
}

QString FileDialog::DefaultSuffix() const {
    QString suffix = DefaultExtension;
    suffix.remove(QLatin1Char('*'));
    if (suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    return suffix;
}

bool FileDialog::Show(bool save, QWidget* parent) {
    std::optional<QString> chosen;
    if (TheResponder()) {
        chosen = TheResponder()(*this, save);
    } else {
        SuffixDialog dialog(parent, Title);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile); // the chosen file need not exist
        if (!ConfirmOverwrite)
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
        // Programs and files on this system often have no extension: offer them too.
        const QStringList filters =
            NameFilters() + QStringList{QCoreApplication::translate("FileDialog", "All files") +
                                        QStringLiteral(" (*)")};
        dialog.setNameFilters(filters);
        if (FilterIndex >= 1 && FilterIndex <= filters.size())
            dialog.selectNameFilter(filters[FilterIndex - 1]);
        // The save dialog adds the extension itself, so that its overwrite question asks
        // about the file that will be written.
        if (save)
            dialog.setDefaultSuffix(DefaultSuffix());
        if (!FileName.isEmpty())
            dialog.selectFile(FileName);
        if (dialog.exec() == QDialog::Accepted && !dialog.Chosen.isEmpty())
            chosen = dialog.Chosen;
        // The filter the user left the dialog on, for the caller to offer again.
        if (const qsizetype chosenFilter = filters.indexOf(dialog.selectedNameFilter());
            chosenFilter >= 0)
            FilterIndex = static_cast<int16_t>(chosenFilter + 1);
        // An existing file is opened as named, extension or not.
        if (chosen && !save && QFileInfo(*chosen).suffix().isEmpty() &&
            !QFileInfo::exists(*chosen) && !DefaultSuffix().isEmpty())
            *chosen += QLatin1Char('.') + DefaultSuffix();
    }
    if (!chosen)
        return false;
    Choose(*chosen);
    return true;
}

void FileDialog::Choose(const QString& path) {
    FileName = path;
    FileTitle = QFileInfo(FileName).fileName();
}
