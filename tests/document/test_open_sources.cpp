// The open sources without a window: one file is one source whatever name reaches it, the
// order they were opened in, stepping round the ends, and which is shown after a close.

#include "OpenSources.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {
SourceImage Named(const QByteArray& file) {
    return {QImage(8, 8, QImage::Format_RGB32), file, QString::fromLatin1(file), {}};
}
} // namespace

class TestOpenSources : public QObject {
    Q_OBJECT
  private slots:
    void oneFileIsOneSource();
    void orderStepsAndCloses();
};

void TestOpenSources::oneFileIsOneSource() {
    QTemporaryDir dir;
    const QByteArray a = QFile::encodeName(dir.filePath(QStringLiteral("a.tga")));
    const QByteArray b = QFile::encodeName(dir.filePath(QStringLiteral("b.tga")));
    for (const QByteArray& file : {a, b}) {
        QFile out(QFile::decodeName(file));
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) > 0);
    }
    const QByteArray link = a + ".link", hard = a + ".hard";
    QCOMPARE(::symlink(a.constData(), link.constData()), 0);
    QCOMPARE(::link(a.constData(), hard.constData()), 0);
    OpenSources sources;
    sources.Add(Named(a));
    sources.Add(Named(b));
    for (const QByteArray& name : {a, link, hard, dir.path().toLocal8Bit() + "/./a.tga"})
        QCOMPARE(sources.IndexOf(name), std::optional<int>(0));
    QCOMPARE(sources.IndexOf(b), std::optional<int>(1));
    QCOMPARE(sources.IndexOf(a + ".other"), std::nullopt);
    // Replaced by rename, as editors save: still the same source by its name.
    QVERIFY(QFile::remove(QFile::decodeName(a)));
    QVERIFY(QFile::copy(QFile::decodeName(b), QFile::decodeName(a)));
    QCOMPARE(sources.IndexOf(a), std::optional<int>(0));
    QCOMPARE(sources.IndexOf(hard), std::nullopt); // no longer the same file
}

void TestOpenSources::orderStepsAndCloses() {
    OpenSources sources;
    QCOMPARE(sources.Shown(), nullptr);
    QCOMPARE(sources.StepsAway(1), -1);
    sources.CloseShown(); // nothing to close
    for (const char* name : {"a", "b", "c", "d"})
        sources.Add(Named(name));
    const QImage* first = &sources.At(0).Picture; // where a view draws it
    QCOMPARE(sources.ShownIndex(), 3);
    QCOMPARE(sources.StepsAway(1), 0);
    QCOMPARE(sources.StepsAway(-1), 2);
    QCOMPARE(sources.StepsAway(-5), 2);
    sources.Show(1);
    sources.Show(7); // outside: ignored
    QCOMPARE(sources.Shown()->File, QByteArray("b"));
    sources.CloseShown(); // the next one takes its place
    QCOMPARE(sources.Files(), (QList<QByteArray>{"a", "c", "d"}));
    QCOMPARE(sources.Shown()->File, QByteArray("c"));
    sources.Show(2);
    sources.CloseShown(); // the last: round to the first
    QCOMPARE(sources.Shown()->File, QByteArray("a"));
    QCOMPARE(&sources.Shown()->Picture, first);
    sources.CloseShown();
    sources.CloseShown();
    QCOMPARE(sources.Count(), 0);
    QCOMPARE(sources.ShownIndex(), -1);
    QCOMPARE(sources.Shown(), nullptr);
}

QTEST_GUILESS_MAIN(TestOpenSources)
#include "test_open_sources.moc"
