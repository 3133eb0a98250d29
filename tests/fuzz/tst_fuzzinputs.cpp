// Replays the seed inputs and every kept finding of the fuzz targets through
// the same entries the targets run, so a fault once found stays mended in the
// ordinary build.

#include "FuzzEntries.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace velmora;

class TestFuzzInputs : public QObject {
    Q_OBJECT

private slots:
    void replay_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("path");
        for (const fuzz::Target &t : fuzz::targets()) {
            const QString name = QString::fromLatin1(t.name);
            int inputs = 0;
            for (const char *kind : {"corpus", "regressions"}) {
                const QDir dir(
                    QStringLiteral(VELMORA_SOURCE_DIR "/fuzz/%1/%2").arg(QLatin1String(kind), name));
                for (const QString &file : dir.entryList(QDir::Files, QDir::Name)) {
                    QTest::addRow("%s/%s/%s", kind, t.name, qPrintable(file)) << name << dir.filePath(file);
                    ++inputs;
                }
            }
            // Every target has seeds; a missing folder would silently test nothing.
            QVERIFY2(inputs > 0, t.name);
        }
    }
    void replay()
    {
        QFETCH(QString, target);
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        const fuzz::Entry entry = fuzz::entryNamed(target);
        QVERIFY(entry);
        const QString problem = entry(data);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(TestFuzzInputs)
#include "tst_fuzzinputs.moc"
