// Choosing the target's size from the size list, and the custom size dialog.

#include "TestSupport.h"

#include "Application.h"
#include "CustomSizeDialog.h"
#include "LaunchOptions.h"
#include "MainWindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QtTest>

namespace {

// "Custom..." with the dialog handled by act.
bool Custom(MainWindow& frm, const std::function<void(CustomSizeDialog*)>& act) {
    return WhileOpen<CustomSizeDialog>([&] { ChooseSize(frm, QStringLiteral("Custom...")); }, act);
}

// Typing a size and pressing OK.
bool CustomSize(MainWindow& frm, const QString& width, const QString& height) {
    return Custom(frm, [&](CustomSizeDialog* d) {
        QTest::keyClicks(d->widthBox, width);
        QTest::keyClicks(d->heightBox, height);
        QTest::mouseClick(d->okButton, Qt::LeftButton);
    });
}

// The whole text of a box replaced by typing, the way a user selects it and types over it.
void Retype(QLineEdit* box, const QString& keys) {
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClick(box, Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClicks(box, keys);
}

QString TargetState(const MainWindow& frm) {
    return QStringLiteral("%1x%2 '%3' targetVerticalBar %4 max %5, targetHorizontalBar %6 max %7")
        .arg(frm.targetView->width())
        .arg(frm.targetView->height())
        .arg(frm.targetButton->text())
        .arg(frm.targetVerticalBar->isEnabled() ? QStringLiteral("on") : QStringLiteral("off"))
        .arg(frm.targetVerticalBar->Max())
        .arg(frm.targetHorizontalBar->isEnabled() ? QStringLiteral("on") : QStringLiteral("off"))
        .arg(frm.targetHorizontalBar->Max());
}

QString Expected(int width, int height, bool updownOn, int updownMax, bool sideOn, int sideMax) {
    return QStringLiteral("%1x%2 'Untitled - %1x%2' targetVerticalBar %3 max %4, "
                          "targetHorizontalBar %5 max %6")
        .arg(width)
        .arg(height)
        .arg(updownOn ? QStringLiteral("on") : QStringLiteral("off"))
        .arg(updownMax)
        .arg(sideOn ? QStringLiteral("on") : QStringLiteral("off"))
        .arg(sideMax);
}

} // namespace

class TestSize : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void standardSizes_data();
    void standardSizes();
    void standardSizeReplacesOpenedTarget();
    void customSize();
    void customCancelledChangesNothing_data();
    void customCancelledChangesNothing();
    void focusOrder();
    void keyFilter_data();
    void keyFilter();
    void emptiedBoxBecomesOne_data();
    void emptiedBoxBecomesOne();
    void digitBeyondLimitDropped_data();
    void digitBeyondLimitDropped();
    void pastedText_data();
    void pastedText();
    void bounds_data();
    void bounds();
    void secondOpeningReusesValues();
};

void TestSize::init() {
    RemoveOptionsFile();
}
void TestSize::cleanup() {
    RemoveOptionsFile();
}

void TestSize::standardSizes_data() {
    QTest::addColumn<QString>("choice");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("updownMax");
    QTest::addColumn<bool>("darkTheme"); // blank stays (239, 239, 239) whatever the palette
    QTest::newRow("256x768") << QStringLiteral("256x768") << 768 << 291 << false;
    QTest::newRow("256x1024") << QStringLiteral("256x1024") << 1024 << 547 << false;
    QTest::newRow("256x1536") << QStringLiteral("256x1536") << 1536 << 1059 << false;
    QTest::newRow("256x2048") << QStringLiteral("256x2048") << 2048 << 1571 << false;
    QTest::newRow("256x2048, dark theme") << QStringLiteral("256x2048") << 2048 << 1571 << true;
}

void TestSize::standardSizes() {
    QFETCH(QString, choice);
    QFETCH(int, height);
    QFETCH(int, updownMax);
    QFETCH(bool, darkTheme);

    const QPalette palette = QApplication::palette();
    const auto restore = qScopeGuard([&palette] { QApplication::setPalette(palette); });
    if (darkTheme) {
        QPalette dark = palette;
        dark.setColor(QPalette::Button, QColor(66, 66, 69));
        dark.setColor(QPalette::Window, QColor(66, 66, 69));
        QApplication::setPalette(dark);
    }
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    // From a custom size with both bars on, so that every part of the fitting shows.
    QVERIFY(CustomSize(frm, QStringLiteral("300"), QStringLiteral("300")));
    ChooseSize(frm, choice);
    QCOMPARE(TargetState(frm), Expected(256, height, true, updownMax, false, 0));
    QVERIFY(user.Messages.empty());
    // The new sheet's blank, and what each size added.
    const QRgb blank = qRgb(239, 239, 239);
    QCOMPARE(frm.Sheet().Image().pixel(0, 0), blank);
    QCOMPARE(frm.Sheet().Image().pixel(255, height - 1), blank);
}

void TestSize::standardSizeReplacesOpenedTarget() {
    TestFolder dir;
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    user.Files.push_back(dir.Put(QStringLiteral("wide.tga"), PatternTga(512, 512)));
    QTest::mouseClick(frm.targetButton, Qt::LeftButton);
    QCOMPARE(frm.targetButton->text(), QStringLiteral("wide.tga - 512x512"));
    QVERIFY(frm.targetHorizontalBar->isEnabled());

    ChooseSize(frm, QStringLiteral("256x1536"));
    QCOMPARE(TargetState(frm), Expected(256, 1536, true, 1059, false, 0));
    QVERIFY(user.Messages.empty());
}

void TestSize::customSize() {
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    int result = -1;
    QVERIFY(Custom(frm, [&result](CustomSizeDialog* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Target Image Size"));
        QTest::keyClicks(d->widthBox, QStringLiteral("300"));
        QTest::keyClicks(d->heightBox, QStringLiteral("400"));
        QCOMPARE(d->Size(), QSize(300, 400));
        QTest::mouseClick(d->okButton, Qt::LeftButton);
        QVERIFY(!d->isVisible());
        result = d->result();
    }));
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(TargetState(frm), Expected(300, 400, false, -77, true, 44));
    QVERIFY(user.Messages.empty());
}

void TestSize::customCancelledChangesNothing_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("Cancel button") << 0;
    QTest::newRow("Esc on the dialog") << 1;
    QTest::newRow("Esc while typing") << 2;
}

void TestSize::customCancelledChangesNothing() {
    QFETCH(int, how);

    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    ChooseSize(frm, QStringLiteral("256x1024"));
    const QString before = TargetState(frm);
    QCOMPARE(before, Expected(256, 1024, true, 547, false, 0));

    int result = -1;
    QVERIFY(Custom(frm, [how, &result](CustomSizeDialog* d) {
        QTest::keyClicks(d->widthBox, QStringLiteral("300"));
        QTest::keyClicks(d->heightBox, QStringLiteral("400"));
        if (how == 0)
            QTest::mouseClick(d->cancelButton, Qt::LeftButton);
        else if (how == 1)
            QTest::keyClick(d, Qt::Key_Escape);
        else
            QTest::keyClick(d->heightBox, Qt::Key_Escape);
        QVERIFY2(!d->isVisible(), "the dialog stayed open");
        result = d->result();
    }));
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(TargetState(frm), before);
}

// OK, Cancel, width, height, and round again; OK has the focus at first.
void TestSize::focusOrder() {
    MainWindow frm;
    frm.Show();
    QStringList order;
    QVERIFY(Custom(frm, [&order](CustomSizeDialog* d) {
        order = TabOrder(d,
                         {{d->okButton, QStringLiteral("OK")},
                          {d->cancelButton, QStringLiteral("Cancel")},
                          {d->widthBox, QStringLiteral("width")},
                          {d->heightBox, QStringLiteral("height")}},
                         4);
    }));
    QCOMPARE(order,
             (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel"), QStringLiteral("width"),
                          QStringLiteral("height"), QStringLiteral("OK")}));
}

void TestSize::keyFilter_data() {
    QTest::addColumn<bool>("widthBox");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::newRow("1 2 a 4") << true << QStringLiteral("12a4") << QStringLiteral("124");
    QTest::newRow("1 2 a 4, height") << false << QStringLiteral("12a4") << QStringLiteral("124");
    QTest::newRow("minus, blank, Enter")
        << true << QStringLiteral("-3 2\r1") << QStringLiteral("321");
    QTest::newRow("point, comma, plus")
        << false << QStringLiteral("9.5,+0") << QStringLiteral("950");
    QTest::newRow("leading zero") << true << QStringLiteral("0x7F") << QStringLiteral("07");
}

void TestSize::keyFilter() {
    QFETCH(bool, widthBox);
    QFETCH(QString, keys);
    QFETCH(QString, text);

    MainWindow frm;
    frm.Show();
    QString shown;
    int value = -1;
    QVERIFY(Custom(frm, [&](CustomSizeDialog* d) {
        QLineEdit* box = widthBox ? d->widthBox : d->heightBox;
        QTest::keyClicks(box, keys);
        shown = box->text();
        QVERIFY(d->isVisible()); // Enter presses no button
        value = widthBox ? d->Size().width() : d->Size().height();
    }));
    QCOMPARE(shown, text);
    QCOMPARE(value, text.toInt());
}

void TestSize::emptiedBoxBecomesOne_data() {
    QTest::addColumn<bool>("selectAll");
    QTest::addColumn<QString>("deleteText"); // what the Delete key carries
    QTest::newRow("backspace each digit") << false << QString();
    QTest::newRow("select all, Delete") << true << QString();
    QTest::newRow("select all, Delete with its X11 text") << true << QStringLiteral("\x7f");
}

void TestSize::emptiedBoxBecomesOne() {
    QFETCH(bool, selectAll);
    QFETCH(QString, deleteText);

    MainWindow frm;
    frm.Show();
    QString shown;
    int value = -1;
    QVERIFY(Custom(frm, [&](CustomSizeDialog* d) {
        QTest::keyClicks(d->widthBox, QStringLiteral("57"));
        QCOMPARE(d->Size().width(), 57);
        if (selectAll) {
            QTest::keyClick(d->widthBox, Qt::Key_Home, Qt::ShiftModifier);
            QTest::sendKeyEvent(QTest::Click, d->widthBox, Qt::Key_Delete, deleteText, {});
        } else {
            QTest::keyClick(d->widthBox, Qt::Key_Backspace);
            QCOMPARE(d->widthBox->text(), QStringLiteral("5"));
            QTest::keyClick(d->widthBox, Qt::Key_Backspace);
        }
        shown = d->widthBox->text();
        value = d->Size().width();
    }));
    QCOMPARE(shown, QStringLiteral("1"));
    QCOMPARE(value, 1);
}

void TestSize::digitBeyondLimitDropped_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("edit"); // 0 none, 1 Home, 2 select to the start
    QTest::addColumn<QString>("then");
    QTest::addColumn<QString>("text");
    QTest::newRow("32767 then 9") << QStringLiteral("327679") << 0 << QString()
                                  << QStringLiteral("32767");
    QTest::newRow("32768") << QStringLiteral("32768") << 0 << QString() << QStringLiteral("3276");
    QTest::newRow("40000") << QStringLiteral("40000") << 0 << QString() << QStringLiteral("4000");
    QTest::newRow("9 before 3000")
        << QStringLiteral("3000") << 1 << QStringLiteral("9") << QStringLiteral("3000");
    QTest::newRow("2 before 3000")
        << QStringLiteral("3000") << 1 << QStringLiteral("2") << QStringLiteral("23000");
    QTest::newRow("5 over selected 9999")
        << QStringLiteral("9999") << 2 << QStringLiteral("5") << QStringLiteral("5");
}

void TestSize::digitBeyondLimitDropped() {
    QFETCH(QString, typed);
    QFETCH(int, edit);
    QFETCH(QString, then);
    QFETCH(QString, text);

    MainWindow frm;
    frm.Show();
    QString shown;
    int value = -1;
    QVERIFY(Custom(frm, [&](CustomSizeDialog* d) {
        QTest::keyClicks(d->heightBox, typed);
        if (edit == 1)
            QTest::keyClick(d->heightBox, Qt::Key_Home);
        else if (edit == 2)
            QTest::keyClick(d->heightBox, Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClicks(d->heightBox, then);
        shown = d->heightBox->text();
        value = d->Size().height();
    }));
    QCOMPARE(shown, text);
    QCOMPARE(value, text.toInt());
}

void TestSize::pastedText_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("text");
    QTest::newRow("digits appended")
        << QStringLiteral("25") << QStringLiteral("7") << QStringLiteral("257");
    QTest::newRow("into the empty box")
        << QString() << QStringLiteral("300") << QStringLiteral("300");
    QTest::newRow("letters") << QStringLiteral("25") << QStringLiteral("abc")
                             << QStringLiteral("25");
    QTest::newRow("digits and a letter")
        << QStringLiteral("25") << QStringLiteral("1x") << QStringLiteral("25");
    QTest::newRow("negative") << QStringLiteral("25") << QStringLiteral("-1")
                              << QStringLiteral("25");
    QTest::newRow("beyond 32767") << QStringLiteral("2") << QStringLiteral("99999")
                                  << QStringLiteral("2");
    QTest::newRow("with a blank") << QStringLiteral("3") << QStringLiteral(" 4")
                                  << QStringLiteral("3");
}

// Text that arrives other than by keys, as the box's Paste command brings it.
void TestSize::pastedText() {
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, text);

    MainWindow frm;
    frm.Show();
    QString shown;
    int value = -1;
    QVERIFY(Custom(frm, [&](CustomSizeDialog* d) {
        QTest::keyClicks(d->widthBox, typed);
        QGuiApplication::clipboard()->setText(pasted);
        d->widthBox->paste();
        shown = d->widthBox->text();
        value = d->Size().width();
    }));
    QGuiApplication::clipboard()->clear();
    QCOMPARE(shown, text);
    QCOMPARE(value, text.toInt());
}

void TestSize::bounds_data() {
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("width 0") << QStringLiteral("0") << QStringLiteral("400") << false;
    QTest::newRow("height 0") << QStringLiteral("300") << QStringLiteral("0") << false;
    QTest::newRow("32767 x 32767") << QStringLiteral("32767") << QStringLiteral("32767") << false;
    QTest::newRow("30000 x 30000") << QStringLiteral("30000") << QStringLiteral("30000") << false;
    QTest::newRow("1 x 1") << QStringLiteral("1") << QStringLiteral("1") << true;
    QTest::newRow("32767 x 1") << QStringLiteral("32767") << QStringLiteral("1") << true;
    QTest::newRow("1 x 32767") << QStringLiteral("1") << QStringLiteral("32767") << true;
}

void TestSize::bounds() {
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(bool, allowed);

    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    bool openAfterOK = false;
    QVERIFY(Custom(frm, [&](CustomSizeDialog* d) {
        QTest::keyClicks(d->widthBox, width);
        QTest::keyClicks(d->heightBox, height);
        QTest::mouseClick(d->okButton, Qt::LeftButton);
        openAfterOK = d->isVisible();
        if (!openAfterOK)
            return;
        // Still usable: a size within the bounds is taken.
        Retype(d->widthBox, QStringLiteral("200"));
        Retype(d->heightBox, QStringLiteral("300"));
        QTest::mouseClick(d->okButton, Qt::LeftButton);
        QVERIFY(!d->isVisible());
    }));
    QCOMPARE(openAfterOK, !allowed);
    if (allowed) {
        QVERIFY(user.Messages.empty());
        QCOMPARE(frm.targetButton->text(), QStringLiteral("Untitled - %1x%2").arg(width, height));
        QCOMPARE(frm.targetView->width(), width.toInt());
        QCOMPARE(frm.targetView->height(), height.toInt());
    } else {
        QCOMPARE(user.Messages.size(), size_t(1));
        QVERIFY2(user.Messages.front().Text.contains(QStringLiteral("32767")),
                 qPrintable(user.Messages.front().Text));
        QCOMPARE(TargetState(frm), Expected(200, 300, false, -177, false, -56));
    }
}

void TestSize::secondOpeningReusesValues() {
    MainWindow frm;
    frm.Show();
    QVERIFY(CustomSize(frm, QStringLiteral("300"), QStringLiteral("400")));
    ChooseSize(frm, QStringLiteral("256x768"));
    QCOMPARE(frm.targetButton->text(), QStringLiteral("Untitled - 256x768"));

    QStringList boxes;
    QVERIFY(Custom(frm, [&boxes](CustomSizeDialog* d) {
        boxes << d->widthBox->text() << d->heightBox->text();
        QTest::mouseClick(d->okButton, Qt::LeftButton);
    }));
    QCOMPARE(boxes, (QStringList{QStringLiteral("300"), QStringLiteral("400")}));
    QCOMPARE(TargetState(frm), Expected(300, 400, false, -77, true, 44));

    // Boxes emptied and the dialog left: what they were left holding is shown, and applied.
    QVERIFY(Custom(frm, [](CustomSizeDialog* d) {
        Retype(d->widthBox, QStringLiteral("7"));
        Retype(d->heightBox, QStringLiteral("8"));
        for (QLineEdit* box : {d->widthBox, d->heightBox}) {
            QTest::keyClick(box, Qt::Key_End);
            QTest::keyClick(box, Qt::Key_Backspace);
        }
        QTest::keyClick(d->heightBox, Qt::Key_Escape);
    }));
    boxes.clear();
    QVERIFY(Custom(frm, [&boxes](CustomSizeDialog* d) {
        boxes << d->widthBox->text() << d->heightBox->text();
        QTest::mouseClick(d->okButton, Qt::LeftButton);
    }));
    QCOMPARE(boxes, (QStringList{QStringLiteral("1"), QStringLiteral("1")}));
    QCOMPARE(frm.Sheet().Size(), QSize(1, 1));
}

// A size change keeps the stamped pixels that still fit; new area shows the back colour.
PATCHERY_WIDGET_TEST(TestSize)
#include "test_size.moc"
