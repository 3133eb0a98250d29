#include "TestBook.h"
#include "TestEnv.h"
#include "TestFiles.h"

#include "birthdays/ui/CalendarWindow.h"
#include "interchange/ui/ImportVcardWindow.h"
#include "mainwindow/ui/ListHost.h"
#include "mainwindow/ui/MainWindow.h"
#include "store/Database.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <QtTest>

using namespace velmora;

namespace {

class FakeHost : public ListHost {
public:
    int fills = 0;
    void fillPersonList() override { ++fills; }
    void setSearchMode(bool on) override { search = on; }
    bool searchMode() const override { return search; }
    void selectPerson(int) override {}
    void hideDetails() override {}
    int shownPerson() const override { return -1; }
    std::vector<int> listedPersons() const override { return {}; }
    bool search = true;
};

const QByteArray kCards = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;Anne\r\nBDAY:1980-01-02\r\nEND:VCARD\r\n"
                          "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Jones;Bob\r\nEND:VCARD\r\n"
                          "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Roux;Cléa\r\nEND:VCARD\r\n";

QString personCount()
{
    return test::rows(Database::instance().connection(), QStringLiteral("SELECT COUNT(*) AS n FROM Person "),
                      {QStringLiteral("n")});
}

} // namespace

class TestInterchangeWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> m_env;

private slots:
    void init()
    {
        m_env = std::make_unique<test::TestEnv>();
        QVERIFY(Database::instance().newDatabase(m_env->file(QStringLiteral("book.mdb"))));
        test::run(Database::instance().connection(), {test::person(1, "Anne", "Smith", "#01/02/1980#")});
    }
    void cleanup()
    {
        Database::instance().closeDatabase(false);
        m_env.reset();
    }

    // The window tells what the file holds; OK writes, rebuilds the list out
    // of search mode and shows the summary. The choice brings the duplicate
    // in too.
    void importsWithItsChoice_data()
    {
        QTest::addColumn<bool>("duplicates");
        QTest::addColumn<QString>("persons");
        QTest::newRow("duplicates skipped") << false << QStringLiteral("3");
        QTest::newRow("duplicates imported") << true << QStringLiteral("4");
    }
    void importsWithItsChoice()
    {
        QFETCH(bool, duplicates);
        VcardImport import;
        QString error;
        QVERIFY(import.load(kCards, QStringLiteral("x"), error));
        FakeHost host;
        ImportVcardWindow window(import, QStringLiteral("/somewhere/friends.vcf"), &host);
        QCOMPARE(window.findChild<QLabel *>("lblFile")->text(), QStringLiteral("friends.vcf"));
        QCOMPARE(window.findChild<QLabel *>("lblPersons")->text(), QStringLiteral("Persons in the file: 3"));
        QCOMPARE(window.findChild<QLabel *>("lblDuplicates")->text(),
                 QStringLiteral("Already in the book: 1"));
        auto *choice = window.findChild<QCheckBox *>("chkDuplicates");
        QVERIFY(choice->isEnabled() && !choice->isChecked());
        choice->setChecked(duplicates);
        window.accept();
        QVERIFY(window.imported());
        QTEST(personCount(), "persons");
        QCOMPARE(host.fills, 1);
        QVERIFY(!host.search);
        QCOMPARE(m_env->prompts.messageCount(), 1);
        QVERIFY(m_env->prompts.lastMessage().startsWith(
            duplicates ? QStringLiteral("Persons added: 3\nDuplicates skipped: 0")
                       : QStringLiteral("Persons added: 2\nDuplicates skipped: 1")));
    }

    // The menu entry follows the book's state; it and a dropped .vcf file
    // reach the import, anything else dropped does not.
    void menuAndDrop()
    {
        MainWindow window;
        QStringList paths;
        window.hooks().importVcard = [&](QWidget *, ListHost &, const QString &path) { paths += path; };
        QAction *entry = window.action(QStringLiteral("mnuFileImportVcard"));
        QVERIFY(entry);
        window.showDatabaseClosed();
        QVERIFY(!entry->isEnabled());
        window.showDatabaseOpened();
        QVERIFY(entry->isEnabled());
        entry->trigger();
        QCOMPARE(paths, QStringList{QString()});

        const QString file = m_env->file(QStringLiteral("Friends.VCF"));
        for (const QString &dropped : {m_env->file(QStringLiteral("notes.txt")), file}) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(dropped)});
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&window, &enter);
            QCOMPARE(enter.isAccepted(), dropped == file);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&window, &drop);
        }
        QCOMPARE(paths, (QStringList{QString(), file}));
    }

    // The calendar window's iCalendar button saves every birthday of the book
    // under the name proposed.
    void calendarSavesBirthdays()
    {
        const QString styles = m_env->programFolder() + QStringLiteral("/Calendar");
        QDir().mkpath(styles);
        const QString shipped = test::sourceDataFolder() + QStringLiteral("/Calendar/");
        for (const QString &name : QDir(shipped).entryList({QStringLiteral("*.css")}))
            QVERIFY(QFile::copy(shipped + name, styles + QLatin1Char('/') + name));
        CalendarWindow window;
        QAction *ics = window.button(QStringLiteral("Ics"));
        QVERIFY(ics && ics->isEnabled());
        QCOMPARE(ics->text(), QStringLiteral("iCalendar"));
        const QString path = m_env->file(QStringLiteral("Velmora birthdays.ics"));
        m_env->prompts.clear();
        m_env->prompts.queueText(path);
        ics->trigger();
        QCOMPARE(m_env->prompts.shown().front().kind, RecordingPrompts::Shown::SaveFile);
        const QByteArray ical = test::readAll(path);
        QCOMPARE(ical.count("BEGIN:VEVENT"), 1);
        QVERIFY(ical.contains("\r\nSUMMARY:Anne Smith\r\n"));
    }

    // A file that is no vCard is refused with a message naming it, and the
    // book stays as it was.
    void refusesOtherFiles()
    {
        const QString path = m_env->file(QStringLiteral("photo.vcf"));
        test::writeFile(path, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
        FakeHost host;
        ImportVcardWindow::run(nullptr, host, path);
        QCOMPARE(m_env->prompts.lastMessage(), QStringLiteral("This file holds no vCards:\n") + path);
        QCOMPARE(personCount(), QStringLiteral("1"));
        QCOMPARE(host.fills, 0);
    }
};

QTEST_MAIN(TestInterchangeWindows)
#include "tst_interchangewindows.moc"
