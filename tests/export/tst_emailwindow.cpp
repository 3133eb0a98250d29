#include "TestBook.h"
#include "TestEnv.h"

#include "export/ui/EmailWindow.h"
#include "settings/Settings.h"
#include "store/Sql.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QtTest>

using namespace velmora;

namespace {

QStringList rowTexts(const QTreeView *view)
{
    QStringList out;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        out << view->model()->index(row, 0).data().toString();
    return out;
}

} // namespace

class TestEmailWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> env;
    Connection connection;

    template <typename W> static W *child(const EmailWindow &w, const char *name)
    {
        W *found = w.findChild<W *>(QLatin1String(name));
        if (!found)
            qFatal("no %s", name);
        return found;
    }

private slots:
    // Anna (2, two addresses), Bert (3), Carl (5, none), Dora (1).
    void initTestCase()
    {
        env = std::make_unique<test::TestEnv>();
        test::createBook(connection, env->file(QStringLiteral("book.mdb")),
                         {test::person(1, "Dora", "Zweig"), test::person(2, "Anna", "Berg"),
                          test::person(3, "Bert", "Acker"), test::person(5, "Carl", "Ohne"),
                          test::entry("Email", 2, 2, "anna-work@example.org"),
                          test::entry("Email", 2, 1, "anna@example.org"),
                          test::entry("Email", 3, 1, "bert+list@example.org"),
                          test::entry("Email", 1, 1, "dora@bücher.de")});
        setCurrentConnection(&connection);
    }
    void init() { saveSetting(QStringLiteral("Separator"), QString()); }
    void cleanupTestCase()
    {
        setCurrentConnection(nullptr);
        connection.close();
        env.reset();
    }

    void opening()
    {
        EmailWindow window({});
        QCOMPARE(rowTexts(child<QTreeView>(window, "lvwList")),
                 (QStringList{"Acker Bert (bert+list@example.org)", "Berg Anna (anna@example.org)",
                              "Zweig Dora (dora@bücher.de)"}));
        QVERIFY(!child<QPushButton>(window, "cmdSearchResult")->isEnabled());
        QVERIFY(!child<QPushButton>(window, "cmdOK")->isEnabled() &&
                !child<QPushButton>(window, "cmdCopy")->isEnabled());
        QVERIFY(child<QRadioButton>(window, "optColon")->isChecked());
    }

    // Chosen in any order, listed by name; the separator switches at once
    // and is kept for the next opening.
    void listAndSeparator()
    {
        {
            EmailWindow window({});
            QVERIFY(window.picker().moveToChosen(1));
            QVERIFY(window.picker().moveToChosen(2));
            auto *txtList = child<QPlainTextEdit>(window, "txtList");
            QCOMPARE(txtList->toPlainText(), QStringLiteral("anna@example.org, dora@bücher.de"));
            QVERIFY(child<QPushButton>(window, "cmdOK")->isEnabled() &&
                    child<QPushButton>(window, "cmdCopy")->isEnabled());
            child<QRadioButton>(window, "optSemicolon")->click();
            QCOMPARE(txtList->toPlainText(), QStringLiteral("anna@example.org; dora@bücher.de"));
            QCOMPARE(getSetting(QStringLiteral("Separator")), QStringLiteral(";"));
            QVERIFY(window.picker().moveFromChosen(2));
            QCOMPARE(txtList->toPlainText(), QStringLiteral("dora@bücher.de"));
        }
        EmailWindow again({});
        QVERIFY(child<QRadioButton>(again, "optSemicolon")->isChecked());
        QVERIFY(again.picker().moveToChosen(3));
        QVERIFY(again.picker().moveToChosen(2));
        QCOMPARE(child<QPlainTextEdit>(again, "txtList")->toPlainText(),
                 QStringLiteral("bert+list@example.org; anna@example.org"));
    }

    // The search result brings only persons with an address who are still
    // available; a second press changes nothing.
    void searchResult()
    {
        EmailWindow window({-1, true, {5, 3, 1}});
        auto *button = child<QPushButton>(window, "cmdSearchResult");
        QVERIFY(button->isEnabled());
        button->click();
        QCOMPARE(rowTexts(child<QTreeView>(window, "lvwEmail")),
                 (QStringList{"Acker Bert (bert+list@example.org)", "Zweig Dora (dora@bücher.de)"}));
        button->click();
        QCOMPARE(window.picker().chosenCount(), 2);
        QCOMPARE(child<QPlainTextEdit>(window, "txtList")->toPlainText(),
                 QStringLiteral("bert+list@example.org, dora@bücher.de"));
    }

    void copyAndPopup()
    {
        EmailWindow window({});
        auto *txtList = child<QPlainTextEdit>(window, "txtList");
        auto *menu = child<QMenu>(window, "mnuPopupList");
        auto *copy = child<QAction>(window, "mnuPopupListCopy");
        window.show();
        emit txtList->customContextMenuRequested(QPoint(2, 2));
        QVERIFY(menu->isVisible());
        QVERIFY(!copy->isEnabled());
        menu->hide();

        QVERIFY(window.picker().moveToChosen(3));
        emit txtList->customContextMenuRequested(QPoint(2, 2));
        QVERIFY(copy->isEnabled());
        copy->trigger();
        menu->hide();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("bert+list@example.org"));
        QApplication::clipboard()->clear();
        child<QPushButton>(window, "cmdCopy")->click();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("bert+list@example.org"));
    }

    // OK hands the mail program one URL with both addresses, encoded.
    void okOpensMailto()
    {
        env->launcher.urls.clear();
        EmailWindow window({});
        QVERIFY(window.picker().moveToChosen(3));
        QVERIFY(window.picker().moveToChosen(1));
        child<QPushButton>(window, "cmdOK")->click();
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(env->launcher.urls, std::vector<QString>{QStringLiteral(
                                         "mailto:bert%2Blist@example.org,%20dora@b%C3%BCcher.de")});
    }
};

QTEST_MAIN(TestEmailWindow)
#include "tst_emailwindow.moc"
