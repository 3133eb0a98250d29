#include "MainWindowBook.h"
#include "TestEnv.h"

#include "settings/Settings.h"
#include "store/Database.h"
#include "store/ui/DefaultDatabaseDialog.h"
#include "store/ui/PasswordDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace velmora;

// The small windows of the main window's commands: password and default
// database.
class TestDialogs : public QObject {
    Q_OBJECT
    test::TestEnv m_env;

private slots:
    void cleanup()
    {
        Database::instance().closeDatabase(false);
        Database::instance().setPassword(QString());
    }

    void passwordOkOnlyWithText()
    {
        PasswordDialog dialog(QStringLiteral("/books/a.mdb"));
        auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("cmdOk"));
        auto *box = dialog.findChild<QLineEdit *>(QStringLiteral("txtPassword"));
        QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("txtFile"))->text(),
                 QStringLiteral("/books/a.mdb"));
        QCOMPARE(box->echoMode(), QLineEdit::Password);
        QVERIFY(!ok->isEnabled());
        QTest::keyClicks(box, QStringLiteral(" a;b "));
        QVERIFY(ok->isEnabled());
        box->clear();
        QVERIFY(!ok->isEnabled());
    }

    void passwordAnswers_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::newRow("OK keeps blanks") << true << " pw " << " pw ";
        QTest::newRow("Cancel gives nothing") << false << "pw" << "";
    }
    void passwordAnswers()
    {
        QFETCH(bool, accept);
        QFETCH(QString, typed);
        QTimer::singleShot(0, this, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            QTest::keyClicks(dialog->findChild<QLineEdit *>(QStringLiteral("txtPassword")), typed);
            QTest::mouseClick(dialog->findChild<QPushButton *>(accept ? QStringLiteral("cmdOk")
                                                                      : QStringLiteral("cmdCancel")),
                              Qt::LeftButton);
        });
        QTEST(PasswordDialog::askPassword(QStringLiteral("/books/a.mdb")), "result");
    }

    void defaultDatabaseBrowseAndClear()
    {
        saveSetting(QStringLiteral("Default database"), QStringLiteral("/old/book.mdb"));
        DefaultDatabaseDialog dialog;
        auto *text = dialog.findChild<QLineEdit *>(QStringLiteral("txtDatabase"));
        QCOMPARE(text->text(), QStringLiteral("/old/book.mdb"));

        // Browse cancelled: nothing changes.
        dialog.browse();
        QCOMPARE(text->text(), QStringLiteral("/old/book.mdb"));
        const QString picked = m_env.documents() + QStringLiteral("/sub/picked.mdb");
        m_env.prompts.queueText(picked);
        dialog.browse();
        QCOMPARE(text->text(), picked);
        QCOMPARE(getSetting(QStringLiteral("Database directory")),
                 m_env.documents() + QStringLiteral("/sub/"));
        QCOMPARE(m_env.prompts.shown().back().text, QStringLiteral("Open"));

        // An empty box clears the default and closes the window.
        text->clear();
        dialog.ok();
        QCOMPARE(getSetting(QStringLiteral("Default database")), QString());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
