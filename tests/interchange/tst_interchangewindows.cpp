#include "TestBook.h"
#include "TestEnv.h"
#include "TestFiles.h"

#include "app/ui/PageView.h"
#include "birthdays/ui/CalendarWindow.h"
#include "export/PreviewCommands.h"
#include "export/ui/ExportPreview.h"
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

Q_DECLARE_METATYPE(velmora::ExportFormat)

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
        QVERIFY(!choice->isChecked());
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
        const QString path = m_env->file(QStringLiteral("Velmora birthdays.ics"));
        m_env->prompts.clear();
        m_env->prompts.queueText(path);
        ics->trigger();
        QCOMPARE(m_env->prompts.shown().front().kind, RecordingPrompts::Shown::SaveFile);
        const QByteArray ical = test::readAll(path);
        QCOMPARE(ical.count("BEGIN:VEVENT"), 1);
        QVERIFY(ical.contains("\r\nSUMMARY:Anne Smith\r\n"));
    }

    // The export window's vCard formats: the cards in the text preview
    // (without the details left unticked), saved as .vcf.
    void exportsVcards_data()
    {
        QTest::addColumn<ExportFormat>("format");
        QTest::addColumn<QString>("version");
        QTest::newRow("3.0") << ExportFormat::Vcard << QStringLiteral("VERSION:3.0");
        QTest::newRow("4.0") << ExportFormat::Vcard4 << QStringLiteral("VERSION:4.0");
    }
    void exportsVcards()
    {
        QFETCH(ExportFormat, format);
        test::run(Database::instance().connection(),
                  {test::entry("Phone", 1, 1, "0471 12", "cell"),
                   "UPDATE Person SET [Note] = 'secret' WHERE Contactnr = 1 "});
        ExportOptions options;
        options.note = false;
        options.phoneDescription = false;
        ExportPreview *preview = ExportPreview::exportAndShow(format, {1}, options, nullptr);
        QVERIFY(preview);
        const QString shown = preview->findChild<PageView *>()->toPlainText();
        QVERIFY2(shown.startsWith(QStringLiteral("BEGIN:VCARD")), qPrintable(shown));
        QTEST(shown.section(u'\n', 1, 1).trimmed(), "version");
        QVERIFY(shown.contains(QStringLiteral("N:Smith;Anne;;;")));
        QVERIFY(shown.contains(QStringLiteral("TEL:0471 12")));
        QVERIFY(!shown.contains(QStringLiteral("secret")));

        const FileDialog dialog = PreviewCommands::saveDialog(format);
        QCOMPARE(dialog.fileName, QStringLiteral("Velmora20261206.vcf"));
        const QString target = m_env->file(QStringLiteral("out.vcf"));
        m_env->prompts.queueText(target);
        QVERIFY(PreviewCommands::save(format));
        QCOMPARE(QString::fromUtf8(test::readAll(target)).replace(QLatin1String("\r\n"), QLatin1String("\n")),
                 shown.endsWith(u'\n') ? shown : shown + u'\n');
        delete preview;
    }

    // A file that is no vCard (text, nothing, binary) is refused with a
    // message naming it, and the book stays as it was.
    void refusesOtherFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("text") << QByteArray("hello\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("picture") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    }
    void refusesOtherFiles()
    {
        QFETCH(QByteArray, bytes);
        const QString path = m_env->file(QStringLiteral("photo.vcf"));
        test::writeFile(path, bytes);
        FakeHost host;
        ImportVcardWindow::run(nullptr, host, path);
        QCOMPARE(m_env->prompts.lastMessage(), QStringLiteral("This file holds no vCards:\n") + path);
        QCOMPARE(personCount(), QStringLiteral("1"));
        QCOMPARE(host.fills, 0);
    }
};

QTEST_MAIN(TestInterchangeWindows)
#include "tst_interchangewindows.moc"
