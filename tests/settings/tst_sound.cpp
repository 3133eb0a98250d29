#include "TestEnv.h"

#include "app/Sound.h"
#include "app/ui/EffectSoundPlayer.h"

#include <QFile>
#include <QtTest>

using namespace velmora;

namespace {

QString defaultSound()
{
    return test::sourceDataFolder() + QStringLiteral("/Sound/default.wav");
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
};

QTEST_MAIN(TestSound)
#include "tst_sound.moc"
