#include "TestBook.h"
#include "TestEnv.h"
#include "TestFiles.h"

#include "app/ui/PageView.h"
#include "export/HtmlExport.h"
#include "export/PreviewCommands.h"
#include "export/ui/ExportPreview.h"
#include "settings/Settings.h"
#include "store/Sql.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QtTest>

using namespace velmora;

// The two previews: what they show and enable, the style menu, one preview
// per format, the temporary file gone with the window, e-mailing the export.
class TestExportPreview : public QObject {
    Q_OBJECT
    test::TestEnv m_env;
    Connection m_book;
    Connection *m_before = nullptr;

    static QStringList entries(QMenu *menu)
    {
        QStringList texts;
        for (QAction *a : menu->actions())
            texts << a->text();
        return texts;
    }

private slots:
    void initTestCase()
    {
        test::createBook(m_book, m_env.file("book.mdb"),
                         {test::person(1, "Zoë", "Berg", "#3/5/1980#", "Street 1\r\nTown", "www.zoe.org"),
                          test::entry("Phone", 1, 1, "0471", "home")});
        m_before = currentConnection();
        setCurrentConnection(&m_book);
        QDir().mkpath(m_env.programFolder() + "/Css");
        for (const char *style : {"Normal", "Classic", "Ocean"})
            QVERIFY(QFile::copy(test::sourceDataFolder() + "/Css/" + style + ".css",
                                m_env.programFolder() + "/Css/" + style + ".css"));
        saveSetting("Css", "Normal");
        saveSetting("List", "First name Last name");
    }
    void cleanupTestCase() { setCurrentConnection(m_before); }

    void htmlPreview()
    {
        QPointer<ExportPreview> preview =
            ExportPreview::exportAndShow(ExportFormat::Html, {1}, ExportOptions(), nullptr);
        QVERIFY(preview);
        QCOMPARE(preview->view()->currentFile(), HtmlExport::outputPath());
        QVERIFY2(preview->view()->toPlainText().contains(QStringLiteral("Zoë Berg")),
                 qPrintable(preview->view()->toPlainText()));
        // A page is loaded; no printer is installed here.
        QVERIFY(preview->button("Save")->isEnabled() && preview->button("Email")->isEnabled());
        QVERIFY(!preview->button("Print")->isEnabled() && !preview->button("Setup")->isEnabled());
        QCOMPARE(preview->button("Css")->text(), QStringLiteral("Normal"));
        QCOMPARE(entries(preview->styleMenu()), (QStringList{"Classic", "Normal", "Ocean"}));

        preview->styleMenu()->actions().at(2)->trigger();
        QCOMPARE(getSetting("Css"), QStringLiteral("Ocean"));
        QCOMPARE(preview->button("Css")->text(), QStringLiteral("Ocean"));
        QVERIFY(test::readAll(HtmlExport::outputPath()).contains("/Css/Ocean.css\""));

        // A second export of the same format takes the place of the first.
        QPointer<ExportPreview> second =
            ExportPreview::exportAndShow(ExportFormat::Html, {1}, ExportOptions(), nullptr);
        QVERIFY(!preview && second);
        QCOMPARE(ExportPreview::openPreview(ExportFormat::Html), second.data());
        QVERIFY(QFile::exists(HtmlExport::outputPath()));
        second->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!second);
        QVERIFY(!QFile::exists(HtmlExport::outputPath()));
        saveSetting("Css", "Normal");
    }

    void textPreview()
    {
        QPointer<ExportPreview> preview =
            ExportPreview::exportAndShow(ExportFormat::Text, {1}, ExportOptions(), nullptr);
        QVERIFY(preview);
        QVERIFY(!preview->button("Css"));
        QVERIFY(preview->view()->toPlainText().contains(QStringLiteral("0471 (home)")));
        const QString path = preview->path();
        delete preview;
        QVERIFY(!QFile::exists(path));
    }

    // An export that cannot be made is told, and no preview opens.
    void failedExport()
    {
        Connection closed;
        setCurrentConnection(&closed);
        ExportPreview *preview =
            ExportPreview::exportAndShow(ExportFormat::Text, {1}, ExportOptions(), nullptr);
        setCurrentConnection(&m_book);
        QVERIFY(!preview);
        QCOMPARE(m_env.prompts.messageCount(), 1);
        QVERIFY(m_env.prompts.lastMessage().startsWith(QStringLiteral("The export could not be made:")));
        m_env.prompts.clear();
    }

    // E-mail: the export goes as an attachment; the address is remembered.
    void email_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("text") << int(ExportFormat::Text) << QByteArray("Velmora20261206.txt");
        QTest::newRow("xhtml") << int(ExportFormat::Html) << QByteArray("Velmora20261206.htm");
    }
    void email()
    {
        QFETCH(int, format);
        QFETCH(QByteArray, name);
        const auto f = ExportFormat(format);
        m_env.mail.messages.clear();
        QVERIFY(PreviewCommands::exportPersons(f, {1}, ExportOptions()).ok);
        QVERIFY(PreviewCommands::email(f, QStringLiteral(" ann@example.org "), QStringLiteral("Our list")));
        QCOMPARE(m_env.mail.messages.size(), size_t(1));
        const QByteArray message = m_env.mail.messages.front();
        QVERIFY(message.contains("To: ann@example.org"));
        QVERIFY(message.contains(name));
        QVERIFY(message.contains("Our list"));
        QCOMPARE(getSetting("Email"), QStringLiteral("ann@example.org"));
        if (f == ExportFormat::Html) // the copy that needs no style sheet
            QVERIFY(test::readAll(PreviewCommands::attachmentPath(f)).contains("<style type=\"text/css\">"));
    }
};

QTEST_MAIN(TestExportPreview)
#include "tst_exportpreview.moc"
