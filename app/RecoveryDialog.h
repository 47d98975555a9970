#pragma once
// The unsaved sheets several earlier runs left, offered in one box: restore one, discard those
// selected, or keep them all for later. Only Discard ever removes one.

#include <QDialog>
#include <QList>
#include <QStringList>

class QListWidget;
class QPushButton;

class RecoveryDialog : public QDialog {
    Q_OBJECT
  public:
    enum class Choice { Later, Restore, Discard };
    // sheets: one line describing each, in the order the caller keeps them.
    RecoveryDialog(const QStringList& sheets, QWidget* owner);

    // Shows the box until a button (or its close box, Esc: Later) answers.
    Choice Ask();
    // The selected lines' indexes, in order.
    QList<int> Selected() const;

    QListWidget* sheetList = nullptr;
    QPushButton* restoreButton = nullptr;
    QPushButton* discardButton = nullptr;
    QPushButton* laterButton = nullptr;

  private:
    Choice choice_ = Choice::Later;
};
