// Options > Synchronisation, the main window's Sync commands and the sync
// on open and close, on a stub server.

#include "StubDavServer.h"
#include "TestBook.h"
#include "TestEnv.h"
#include "TestFiles.h"

#include "app/Startup.h"
#include "app/ui/WidgetPrompts.h"
#include "app/ui/WindowHooks.h"
#include "mainwindow/ui/MainWindow.h"
#include "settings/Settings.h"
#include "store/Database.h"
#include "sync/SyncSettings.h"
#include "sync/ui/SyncCommands.h"
#include "sync/ui/SyncOptionsWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace velmora;
using namespace velmora::test;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kServer = u"https://dav.example.org/"_s;
const QString kHome = u"https://dav.example.org/anna/"_s;

template <typename W> W *child(QWidget &parent, const char *name)
{
    W *w = parent.findChild<W *>(QLatin1String(name));
    if (!w)
        qFatal("no %s", name);
    return w;
}

} // namespace

class TestSyncWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnv> m_env;

    QString openBook() { return openAnnaBerg(m_env->documents() + u"/book.mdb"_s); }

    // Sync set up for anna, her password in the secret store.
    void keepSettings(const QString &addressBook, bool onOpenClose = false, const QString &book = {},
                      const QString &password = u"pw"_s)
    {
        SyncSettings s;
        s.serverUrl = kServer;
        s.user = u"anna"_s;
        s.addressBook = addressBook;
        s.onOpenClose = onOpenClose;
        s.book = book;
        s.save();
        QString error;
        QVERIFY(m_env->secrets.writeSecret(s.secretKey(), password, error));
    }

private slots:
    void init()
    {
        m_env = std::make_unique<TestEnv>();
        setCommandLine(QString());
    }
    void cleanup()
    {
        Database::instance().closeDatabase(false);
        setCommandLine(QString());
        m_env.reset();
    }

    // Test connection lists the address books, keeping the one chosen; a
    // failure says why and leaves the list alone.
    void testConnection_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<int>("found");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("listed");
        // clang-format off
        QTest::newRow("several: choice kept") << kServer << 3 << false << u"The connection works. Address books found: 3"_s << 3;
        QTest::newRow("refused") << kServer << 3 << true << u"The connection failed:\nThe server refused the user name or password."_s << 1;
        QTest::newRow("none") << kServer << 0 << false << u"The server has no address book at this address."_s << 1;
        QTest::newRow("not an address") << u"dav.example.org"_s << 3 << false << u"The server address must be a web address starting with https:// (or http://)."_s << 1;
        // clang-format on
    }
    void testConnection()
    {
        QFETCH(QString, url);
        QFETCH(int, found);
        QFETCH(bool, refused);
        QFETCH(QString, message);
        QFETCH(int, listed);
        keepSettings(kHome + u"1/"_s);
        StubDav dav;
        for (int i = 0; i < found; ++i)
            dav.books << StubDav::book(kHome + QString::number(i) + u'/', u"Book %1"_s.arg(i));
        if (refused)
            dav.discoverError = {DavError::Kind::Unauthorized, 401,
                                 u"The server refused the user name or password."_s};

        SyncOptionsWindow window;
        QCOMPARE(child<QLineEdit>(window, "txtSyncPassword")->text(), u"pw"_s);
        QCOMPARE(child<QLineEdit>(window, "txtSyncPassword")->echoMode(), QLineEdit::Password);
        child<QLineEdit>(window, "txtSyncUrl")->setText(url);
        QTest::mouseClick(child<QPushButton>(window, "cmdTest"), Qt::LeftButton);
        QCOMPARE(m_env->prompts.lastMessage(), message);
        auto *books = child<QComboBox>(window, "cboAddressBook");
        QCOMPARE(books->count(), listed);
        QCOMPARE(books->currentData().toString(), kHome + u"1/"_s); // the one chosen before
        QCOMPARE(dav.logins, url == kServer ? QStringList{u"anna:pw"_s} : QStringList());
    }

    // OK keeps the settings, the password only in the secret store; without a
    // store the window says so and keeps the rest.
    void ok_data()
    {
        QTest::addColumn<bool>("available");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<QString>("kept");    // the secret store's password afterwards
        // clang-format off
        QTest::newRow("kept") << true << kServer << u"anna"_s << QString() << u"s3cret-pw"_s;
        QTest::newRow("no secret store") << false << kServer << u"anna"_s << QString() << u"old"_s;
        QTest::newRow("switched off") << true << QString() << u"anna"_s << QString() << QString();
        QTest::newRow("no user") << true << kServer << QString() << u"Enter the user name."_s << u"old"_s;
        QTest::newRow("bad address") << true << u"ftp://x/"_s << u"anna"_s << u"The server address must be a web address starting with https:// (or http://)."_s << u"old"_s;
        // clang-format on
    }
    void ok()
    {
        QFETCH(bool, available);
        QFETCH(QString, url);
        QFETCH(QString, user);
        QFETCH(QString, message);
        QFETCH(QString, kept);
        keepSettings(QString(), false, QString(), u"old"_s);
        m_env->secrets.setAvailable(available);
        const QString book = openBook();
        SyncOptionsWindow window;
        QCOMPARE(!child<QLabel>(window, "lblSecretStore")->isHidden(), !available);
        child<QLineEdit>(window, "txtSyncUrl")->setText(url);
        child<QLineEdit>(window, "txtSyncUser")->setText(user);
        child<QLineEdit>(window, "txtSyncPassword")->setText(u"s3cret-pw"_s);
        child<QCheckBox>(window, "chkSyncOpenClose")->setChecked(true);
        QTest::mouseClick(child<QPushButton>(window, "cmdOK"), Qt::LeftButton);
        QCOMPARE(m_env->prompts.lastMessage(), message);
        QCOMPARE(window.result() == QDialog::Accepted, message.isEmpty());
        const SyncSettings s = SyncSettings::load();
        QCOMPARE(s.onOpenClose, message.isEmpty());
        m_env->settings->sync();
        QVERIFY(!readAll(m_env->settings->fileName()).contains("s3cret-pw"));
        QCOMPARE(m_env->secrets.secrets().value(u"carddav:anna@dav.example.org"_s), kept);
        if (!message.isEmpty())
            return;
        QCOMPARE(s.serverUrl, url);
        QCOMPARE(s.book, url.isEmpty() ? QString() : book);
    }

    // Sync now and the toolbar's Sync need a book that can be changed; not
    // set up, they open the options first.
    void commandsFollowTheBook()
    {
        MainWindow window;
        installWindowHooks(window);
        QAction *menu = window.action(u"mnuActionSync"_s);
        QAction *button = window.button(u"Sync"_s);
        QVERIFY(menu && button);
        QVERIFY(!menu->isEnabled() && !button->isEnabled());
        openBook();
        QVERIFY(menu->isEnabled() && button->isEnabled());
        StubDav dav;
        bool optionsShown = false;
        QTimer::singleShot(0, this, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            optionsShown = dialog && dialog->objectName() == u"frmSync"_s;
            if (dialog)
                child<QPushButton>(*dialog, "cmdCancel")->click();
        });
        button->trigger();
        QVERIFY(optionsShown);
        QVERIFY(dav.logins.isEmpty());
        // Set up for another book: only after a Yes. Sync now shows the
        // server's person at once and tells what it did.
        keepSettings(kHome, false, m_env->documents() + u"/other.mdb"_s);
        button->trigger();
        QCOMPARE(m_env->prompts.shown().back().icon, Icon::Question);
        QVERIFY(dav.logins.isEmpty());
        dav.cards.put(
            dav.cards.hrefOf(u"ida.vcf"_s),
            "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:ida-1\r\nN:Holm;Ida;;;\r\nFN:Ida Holm\r\nEND:VCARD\r\n");
        QCOMPARE(window.listedPersons().size(), size_t(1));
        m_env->prompts.queueAnswer(Answer::Yes);
        menu->trigger();
        QCOMPARE(dav.logins, QStringList{u"anna:pw"_s});
        QCOMPARE(m_env->prompts.lastMessage(), u"Pulled: 1, pushed: 1, removed: 0, conflicts: 0"_s);
        QCOMPARE(m_env->prompts.shown().back().icon, Icon::Information);
        QCOMPARE(m_env->prompts.shown().back().title, u"Synchronisation"_s);
        QCOMPARE(window.listedPersons().size(), size_t(2));
        QCOMPARE(dav.cards.cards().size(), 2);
        Database::instance().closeDatabase(false);
        QVERIFY(!menu->isEnabled() && !button->isEnabled());
    }

    // The book the user opens is synced once the window shows it, and again
    // before it closes; a book opened again after a copy is not.
    void syncOnOpenAndClose()
    {
        const QString path = openBook();
        Database::instance().closeDatabase(false);
        keepSettings(kHome, true, path);
        saveSetting(u"Default database"_s, path);
        StubDav dav;
        MainWindow window;
        installWindowHooks(window);
        window.load();
        QVERIFY(Database::instance().isOpen());
        QVERIFY(dav.logins.isEmpty());
        QTRY_COMPARE(dav.logins.size(), 1);
        QVERIFY(Database::instance().copyDatabase(m_env->documents() + u"/copy.mdb"_s));
        QCoreApplication::processEvents();
        QCOMPARE(dav.logins.size(), 1);
        window.closeDatabase();
        QCOMPARE(dav.logins.size(), 2);
        QVERIFY(!Database::instance().isOpen());
    }

    // The sync on open and close runs only when chosen, and only for the
    // book it is for (or the first one when none is named yet).
    void automatic_data()
    {
        QTest::addColumn<bool>("chosen");
        QTest::addColumn<QString>("book"); // "this", "other" or empty
        QTest::addColumn<bool>("synced");
        QTest::newRow("not chosen") << false << u"this"_s << false;
        QTest::newRow("this book") << true << u"this"_s << true;
        QTest::newRow("another book") << true << u"other"_s << false;
        QTest::newRow("no book named yet") << true << QString() << true;
    }
    void automatic()
    {
        QFETCH(bool, chosen);
        QFETCH(QString, book);
        QFETCH(bool, synced);
        const QString path = openBook();
        keepSettings(kHome, chosen,
                     book == u"this"_s ? path
                     : book.isEmpty()  ? QString()
                                       : m_env->documents() + u"/other.mdb"_s);
        StubDav dav;
        SyncCommands::syncAutomatically(nullptr, nullptr);
        QCOMPARE(dav.logins, synced ? QStringList{u"anna:pw"_s} : QStringList());
        // A failure is shown; it never keeps the book from closing.
        QCOMPARE(m_env->prompts.messageCount() > 0,
                 synced && m_env->prompts.lastMessage().startsWith(u"The synchronisation failed:"_s));
        QVERIFY(Database::instance().isOpen());
    }

    // The password window of an account says why it asks and hides what is typed.
    void accountPassword()
    {
        WidgetPrompts prompts;
        QString label;
        bool masked = false;
        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            label = dialog->labelText();
            masked = dialog->textEchoMode() == QLineEdit::Password;
            dialog->setTextValue(u"typed"_s);
            dialog->accept();
        });
        QCOMPARE(prompts.askAccountPassword(u"anna@dav.example.org"_s, u"Why."_s), u"typed"_s);
        QCOMPARE(label, u"Why.\n\nPassword for anna@dav.example.org:"_s);
        QVERIFY(masked);
    }
};

QTEST_MAIN(TestSyncWindow)
#include "tst_syncwindow.moc"
