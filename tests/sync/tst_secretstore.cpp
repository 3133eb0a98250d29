// The secret store against a real secret service: the test reruns itself in a
// private session bus with its own gnome-keyring (skipped when not installed).
// Without any secret service the store says so and never waits.

#include "TestEnv.h"

#include "app/KeychainSecretStore.h"

#include <QProcess>
#include <QtTest>

using namespace velmora;
using namespace Qt::Literals::StringLiterals;

namespace {
const char kInside[] = "VELMORA_PRIVATE_KEYRING";
const QString kKey = u"carddav:anna@dav.example.org"_s;
} // namespace

class TestSecretStore : public QObject {
    Q_OBJECT

private slots:
    void realStore()
    {
        if (qEnvironmentVariableIsEmpty(kInside)) {
            if (!QFile::exists(u"/usr/bin/dbus-run-session"_s) ||
                !QFile::exists(u"/usr/bin/gnome-keyring-daemon"_s))
                QSKIP("needs dbus-run-session and gnome-keyring-daemon");
            test::TestEnv env;
            QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
            for (const char *name :
                 {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "DBUS_SESSION_BUS_ADDRESS"})
                e.remove(QString::fromLatin1(name));
            e.insert(u"HOME"_s, env.home());
            e.insert(u"XDG_DATA_HOME"_s, env.home() + u"/.local/share"_s);
            e.insert(QString::fromLatin1(kInside), u"1"_s);
            QProcess inside;
            inside.setProcessEnvironment(e);
            inside.setProcessChannelMode(QProcess::MergedChannels);
            inside.start(
                u"/usr/bin/dbus-run-session"_s,
                {u"--"_s, u"sh"_s, u"-c"_s,
                 u"printf x | gnome-keyring-daemon --unlock --components=secrets >/dev/null && exec \"$0\" realStore"_s,
                 QCoreApplication::applicationFilePath()});
            QVERIFY(inside.waitForFinished(60000));
            QVERIFY2(inside.exitCode() == 0, inside.readAll().constData());
            return;
        }
        KeychainSecretStore store(u"VelmoraTest"_s);
        QString secret, error;
        bool found = true;
        QVERIFY2(store.readSecret(kKey, secret, found, error), qPrintable(error));
        QVERIFY(!found);
        QVERIFY2(store.writeSecret(kKey, u"pä55 w0rd"_s, error), qPrintable(error));
        QVERIFY(store.writeSecret(kKey, u"second"_s, error));
        QVERIFY(store.readSecret(kKey, secret, found, error) && found);
        QCOMPARE(secret, u"second"_s);
        QVERIFY(store.deleteSecret(kKey, error));
        QVERIFY(store.readSecret(kKey, secret, found, error) && !found && secret.isEmpty());
        // Removing what is not there is no error.
        QVERIFY(store.deleteSecret(kKey, error));
    }

    void noSecretService()
    {
        if (!qEnvironmentVariableIsEmpty(kInside))
            QSKIP("outside the private session only");
        test::TestEnv env;
        qputenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + env.file(u"no-bus"_s)).toLocal8Bit());
        qunsetenv("DISPLAY");
        KeychainSecretStore store(u"VelmoraTest"_s);
        QString secret, error;
        bool found = true;
        QVERIFY(!store.readSecret(kKey, secret, found, error) && !found && !error.isEmpty());
        error.clear();
        QVERIFY(!store.writeSecret(kKey, u"x"_s, error) && !error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSecretStore)
#include "tst_secretstore.moc"
