#include "TestBook.h"
#include "TestEnv.h"
#include "TestFiles.h"

#include "app/ui/PageView.h"
#include "app/ui/ProgressWindow.h"

#include <QApplication>
#include <QPrinter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QtTest>

using namespace velmora;

namespace {

QByteArray page(const QByteArray &encoding, const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"" + encoding +
           "\"?>\r\n<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\"\r\n"
           "\"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">\r\n"
           "<html xmlns=\"http://www.w3.org/1999/xhtml\">\r\n<head>\r\n<title>t</title>\r\n"
           "<link href=\"page.css\" rel=\"stylesheet\" type=\"text/css\" media=\"all\" />\r\n"
           "</head>\r\n<body>\r\n" +
           body + "\r\n</body>\r\n</html>\r\n";
}

// The colour the style sheet gave the first text of class "name".
QColor nameColour(PageView &view)
{
    for (QTextBlock b = view.document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().text().contains(QLatin1String("Zo")))
                return it.fragment().charFormat().foreground().color();
    return {};
}

} // namespace

class TestPageView : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<test::TestEnv>(); }
    void cleanup() { m_env.reset(); }

    void decodePage_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        // clang-format off
        QTest::newRow("declared latin-1") << QByteArray("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><p>Zo\xEB</p>")
                                          << QString::fromUtf8("<p>Zoë</p>");
        // Bytes that would pass for UTF-8 are still read as the page declares.
        QTest::newRow("declared latin-1, utf-8 bytes") << QByteArray("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><p>Zo\xC3\xAB</p>")
                                                       << QString::fromUtf8("<p>ZoÃ«</p>");
        QTest::newRow("declared utf-8, single quotes") << QByteArray("<?xml version='1.0' encoding='UTF-8'?><p>Zo\xC3\xAB</p>")
                                                       << QString::fromUtf8("<p>Zoë</p>");
        QTest::newRow("meta charset") << QByteArray("<html><head><meta charset=\"iso-8859-1\"></head>Zo\xEB</html>")
                                      << QString::fromUtf8("<html><head><meta charset=\"iso-8859-1\"></head>Zoë</html>");
        QTest::newRow("nothing declared, utf-8") << QByteArray("<p>Zo\xC3\xAB</p>") << QString::fromUtf8("<p>Zoë</p>");
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF<p>Zo\xC3\xAB</p>") << QString::fromUtf8("<p>Zoë</p>");
        // clang-format on
    }
    void decodePage()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QString decoded = PageView::decodePage(bytes);
        decoded.remove(QRegularExpression(QStringLiteral("^<\\?xml[^>]*>")));
        QCOMPARE(decoded, text);
    }

    // A page written in ISO-8859-1 shows its accents, follows a relative link
    // to its neighbour, and reports every page it has put into the view. A
    // link to a missing page or a missing file leaves the page shown as it is.
    void loadAndFollowLinks()
    {
        const QString a = m_env->file(QStringLiteral("pages/a.htm"));
        const QString b = m_env->file(QStringLiteral("pages/b.htm"));
        test::writeFile(a,
                        page("iso-8859-1",
                             "<p class=\"name\">Zo\xEB &amp; Ren\xE9 &#1044;</p><a href=\"b.htm\">next</a>"));
        test::writeFile(b, page("iso-8859-1", "<p>Page B</p>"));
        PageView view;
        QSignalSpy loaded(&view, &PageView::pageLoaded);

        QVERIFY(!view.loadFile(m_env->file(QStringLiteral("pages/missing.htm"))));
        QVERIFY(view.currentFile().isEmpty());
        QVERIFY(!view.refresh());
        QCOMPARE(loaded.count(), 0);

        QVERIFY(view.loadFile(a));
        QCOMPARE(view.currentFile(), a);
        QVERIFY2(view.toPlainText().contains(QString::fromUtf8("Zoë & René Д")),
                 qPrintable(view.toPlainText()));
        QVERIFY(!view.toPlainText().contains(QLatin1String("xml")));
        QCOMPARE(loaded.count(), 1);

        view.setSource(QUrl(QStringLiteral("b.htm")));
        QCOMPARE(view.currentFile(), b);
        QVERIFY(view.toPlainText().contains(QLatin1String("Page B")));
        QCOMPARE(loaded.count(), 2);
        QCOMPARE(loaded.last().at(0).toString(), b);

        view.setSource(QUrl(QStringLiteral("https://velmora.org/")));
        QCOMPARE(m_env->launcher.urls, std::vector<QString>{QStringLiteral("https://velmora.org/")});
        QCOMPARE(view.currentFile(), b);

        view.setSource(QUrl(QStringLiteral("gone.htm")));
        QCOMPARE(view.currentFile(), b);
        QVERIFY(view.toPlainText().contains(QLatin1String("Page B")));
        QVERIFY(!view.loadFile(m_env->file(QStringLiteral("pages/gone.htm"))));
        QCOMPARE(view.currentFile(), b);
        QCOMPARE(loaded.count(), 2);
    }

    // A refresh reads the page and its style sheet again and keeps the page
    // and the place the user scrolled to.
    void refreshKeepsPageAndPlace()
    {
        const QString a = m_env->file(QStringLiteral("pages/a.htm"));
        const QString css = m_env->file(QStringLiteral("pages/page.css"));
        QByteArray lines;
        for (int i = 0; i < 300; ++i)
            lines += "<p>line " + QByteArray::number(i) + "</p>";
        test::writeFile(css, ".name { color: #ff0000; }");
        test::writeFile(a, page("iso-8859-1", "<p class=\"name\">Zo\xEB</p>" + lines));
        PageView view;
        view.resize(400, 300);
        view.show();
        QVERIFY(view.loadFile(a));
        QCOMPARE(nameColour(view), QColor(255, 0, 0));
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
        const int place = view.verticalScrollBar()->value();
        QVERIFY(place > 0);

        test::writeFile(css, ".name { color: #0000ff; }");
        QSignalSpy loaded(&view, &PageView::pageLoaded);
        QVERIFY(view.refresh());
        QCOMPARE(loaded.count(), 1);
        QCOMPARE(view.currentFile(), a);
        QCOMPARE(nameColour(view), QColor(0, 0, 255));
        QCOMPARE(view.verticalScrollBar()->value(), place);

        QFile::remove(a);
        QVERIFY(!view.refresh());
        QVERIFY(view.toPlainText().contains(QLatin1String("line 299")));
    }

    // Text files (the text export) are shown as they are: UTF-8, or Latin-1
    // when they are not valid UTF-8.
    void textFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("utf-8") << QByteArray("Zo\xC3\xAB <b>\r\n");
        QTest::newRow("latin-1") << QByteArray("Zo\xEB <b>\r\n");
    }
    void textFile()
    {
        QFETCH(QByteArray, bytes);
        const QString path = m_env->file(QStringLiteral("export.txt"));
        test::writeFile(path, bytes);
        PageView view;
        QVERIFY(view.loadFile(path));
        QCOMPARE(view.toPlainText().trimmed(), QString::fromUtf8("Zoë <b>"));
        QVERIFY(view.refresh());
        QCOMPARE(view.currentFile(), path);
    }

    // Printing without a dialog goes to the printer given.
    void printsToPdf()
    {
        const QString a = m_env->file(QStringLiteral("a.htm"));
        test::writeFile(a, page("iso-8859-1", "<p>Zo\xEB</p>"));
        PageView view;
        QVERIFY(view.loadFile(a));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = m_env->file(QStringLiteral("out.pdf"));
        printer.setOutputFileName(pdf);
        view.printTo(printer);
        QVERIFY(test::readAll(pdf).startsWith("%PDF"));
    }

    // The progress window shows the busy pointer while it lives; the core's
    // callback moves the bar, never past its end.
    void progressWindow()
    {
        QVERIFY(!QApplication::overrideCursor());
        {
            QWidget owner;
            owner.show();
            ProgressWindow progress(&owner);
            QVERIFY(QApplication::overrideCursor());
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            ProgressCallback report = progress.callback();
            report(0, 37);
            report(12, 37);
            QCOMPARE(progress.maximum(), 37);
            QCOMPARE(progress.value(), 12);
            report(50, 37);
            QCOMPARE(progress.value(), 37);
        }
        QVERIFY(!QApplication::overrideCursor());
    }

private:
    std::unique_ptr<test::TestEnv> m_env;
};

QTEST_MAIN(TestPageView)
#include "tst_pageview.moc"
