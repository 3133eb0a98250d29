#include "TestEnv.h"

#include "app/Sound.h"
#include "app/ui/EffectSoundPlayer.h"

#include <QFile>
#include <QtEndian>
#include <QtTest>

#include <cmath>

using namespace velmora;

namespace {

QString defaultSound()
{
    return test::sourceDataFolder() + QStringLiteral("/Sound/default.wav");
}

struct Wave {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    int format = 0;
    QByteArray samples;
};

// The format chunk and the sample data of a RIFF wave file.
Wave readWave(const QByteArray &file)
{
    Wave wave;
    if (file.size() < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE")
        return wave;
    qsizetype pos = 12;
    while (pos + 8 <= file.size()) {
        const QByteArray id = file.mid(pos, 4);
        const auto size = qFromLittleEndian<quint32>(file.constData() + pos + 4);
        const QByteArray body = file.mid(pos + 8, size);
        if (id == "fmt " && body.size() >= 16) {
            wave.format = qFromLittleEndian<quint16>(body.constData());
            wave.channels = qFromLittleEndian<quint16>(body.constData() + 2);
            wave.rate = int(qFromLittleEndian<quint32>(body.constData() + 4));
            wave.bits = qFromLittleEndian<quint16>(body.constData() + 14);
        } else if (id == "data") {
            wave.samples = body;
        }
        pos += 8 + size + (size & 1);
    }
    return wave;
}

} // namespace

class TestSound : public QObject {
    Q_OBJECT
private slots:
    void playSoundGoesThroughThePlayer_data()
    {
        QTest::addColumn<QString>("path"); // "<default>" is the shipped sound
        QTest::addColumn<bool>("played");
        QTest::newRow("shipped sound") << "<default>" << true;
        QTest::newRow("empty path") << "" << false;
        QTest::newRow("missing file") << "/no/such/file.wav" << false;
        QTest::newRow("folder") << "<folder>" << false;
    }
    void playSoundGoesThroughThePlayer()
    {
        test::TestEnv env;
        QFETCH(QString, path);
        QFETCH(bool, played);
        if (path == QLatin1String("<default>"))
            path = defaultSound();
        else if (path == QLatin1String("<folder>"))
            path = env.root();
        playSound(path);
        QCOMPARE(env.sound.played.size(), size_t(played ? 1 : 0));
        if (played)
            QCOMPARE(env.sound.played.front(), path);
        QVERIFY(env.prompts.shown().empty());
    }

    // The real player never complains: a missing file, a file that is no wave
    // file and a machine without sound are all silence.
    void realPlayerIsQuietOnBadInput()
    {
        test::TestEnv env;
        const QString notWave = env.file(QStringLiteral("not.wav"));
        QFile f(notWave);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("this is no sound");
        f.close();
        EffectSoundPlayer player;
        player.play(QString());
        player.play(env.file(QStringLiteral("missing.wav")));
        player.play(notWave);
        player.play(defaultSound());
        player.play(defaultSound());
        QTest::qWait(50);
        QVERIFY(env.prompts.shown().empty());
    }

    void shippedChime()
    {
        test::TestEnv env;
        QFile file(defaultSound());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY2(bytes.size() < 100 * 1024, "a small file");
        const Wave wave = readWave(bytes);
        QCOMPARE(wave.format, 1); // PCM
        QCOMPARE(wave.channels, 1);
        QCOMPARE(wave.rate, 22050);
        QCOMPARE(wave.bits, 16);
        const qsizetype frames = wave.samples.size() / 2;
        const double seconds = double(frames) / wave.rate;
        QVERIFY2(seconds > 0.3 && seconds <= 1.5, qPrintable(QString::number(seconds)));

        int peak = 0;
        double energy = 0;
        for (qsizetype i = 0; i < frames; ++i) {
            const int v = qFromLittleEndian<qint16>(wave.samples.constData() + 2 * i);
            peak = std::max(peak, std::abs(v));
            energy += double(v) * v;
        }
        QVERIFY2(peak > 8000, "audible");
        QVERIFY2(peak < 32000, "not clipped");
        QVERIFY(std::sqrt(energy / double(frames)) > 500);
        // Starts and ends quietly: no click.
        QVERIFY(std::abs(qFromLittleEndian<qint16>(wave.samples.constData())) < 200);
        QVERIFY(std::abs(qFromLittleEndian<qint16>(wave.samples.constData() + 2 * (frames - 1))) < 200);
    }
};

QTEST_MAIN(TestSound)
#include "tst_sound.moc"
