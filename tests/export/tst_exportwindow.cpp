#include "TestBook.h"
#include "TestEnv.h"

#include "export/PreviewCommands.h"
#include "export/ui/ExportWindow.h"
#include "settings/Settings.h"
#include "store/Sql.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QtTest>

using namespace velmora;

// The export window: what every opening starts from, the detail boxes and
// what OK writes.
class TestExportWindow : public QObject {
    Q_OBJECT
    test::TestEnv m_env;
    Connection m_book;
    Connection *m_before = nullptr;

    template <typename T> static T *child(const QWidget &w, const char *name)
    {
        T *found = w.findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no %s", name);
        return found;
    }

private slots:
    void initTestCase()
    {
        test::createBook(m_book, m_env.file("book.mdb"),
                         {test::person(1, "Eve", "Stone"), test::person(2, "Al", "Marsh"),
                          test::person(3, "Cy", "Reed"), test::person(4, "Bo", "Lake"),
                          test::person(5, "Di", "Fern")});
        m_before = currentConnection();
        setCurrentConnection(&m_book);
        saveSetting("List", "First name Last name");
    }
    void cleanupTestCase() { setCurrentConnection(m_before); }

    // Every opening: all persons available in name order, the shown person
    // selected, every box ticked, XHTML chosen, OK disabled.
    void opening_data()
    {
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("searchDown");
        QTest::addColumn<QString>("current");
        QTest::newRow("person shown") << 3 << false << "Cy Reed";
        QTest::newRow("none shown, search down") << -1 << true << "";
    }
    void opening()
    {
        QFETCH(int, shown);
        QFETCH(bool, searchDown);
        ExportWindow w({shown, searchDown, {1}});
        const auto *list = child<QTreeView>(w, "lvwList");
        QCOMPARE(list->model()->rowCount(), 5);
        QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("Al Marsh"));
        QTEST(list->currentIndex().data().toString(), "current");
        QCOMPARE(child<QPushButton>(w, "cmdAddOne")->isEnabled(), shown > 0);
        QCOMPARE(child<QPushButton>(w, "cmdSearchResult")->isEnabled(), searchDown);
        const ExportOptions all = w.options();
        QVERIFY(all.name && all.dateOfBirth && all.address && all.phone && all.phoneDescription &&
                all.email && all.emailDescription && all.note);
        QCOMPARE(w.format(), ExportFormat::Html);
        QVERIFY(!child<QPushButton>(w, "cmdOK")->isEnabled());
    }

    // A description box follows its numbers or addresses box.
    void descriptions_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("description");
        QTest::newRow("numbers") << "chkPhone"
                                 << "chkPhoneDescription";
        QTest::newRow("e-mail") << "chkEmail"
                                << "chkEmailDescription";
    }
    void descriptions()
    {
        QFETCH(QString, box);
        QFETCH(QString, description);
        ExportWindow w({});
        auto *b = w.findChild<QCheckBox *>(box);
        auto *d = w.findChild<QCheckBox *>(description);
        b->click();
        QVERIFY(!d->isChecked() && !d->isEnabled());
        QVERIFY(!w.options().phoneDescription || !w.options().emailDescription);
        b->click();
        QVERIFY(d->isChecked() && d->isEnabled());
    }

    // OK writes the chosen persons in the chosen format with the ticked
    // details; choosing all and then none disables it again.
    void ok_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("format");
        QTest::newRow("text") << "OptTxt" << int(ExportFormat::Text);
        QTest::newRow("xhtml") << "optHtml" << int(ExportFormat::Html);
    }
    void ok()
    {
        QFETCH(QString, option);
        QFETCH(int, format);
        ExportWindow w({-1, true, {4, 2, 3}});
        child<QPushButton>(w, "cmdAddAll")->click();
        QVERIFY(child<QPushButton>(w, "cmdOK")->isEnabled());
        child<QPushButton>(w, "cmdRemoveAll")->click();
        QVERIFY(!child<QPushButton>(w, "cmdOK")->isEnabled());
        child<QPushButton>(w, "cmdSearchResult")->click();
        QCOMPARE(w.picker()->chosenContactnrs(), (std::vector<int>{4, 2, 3}));
        // Back again with a double click: persons 4 and 2 remain.
        auto *chosen = child<QTreeView>(w, "lvwExport");
        emit chosen->doubleClicked(chosen->currentIndex());
        w.findChild<QRadioButton *>(option)->click();
        child<QCheckBox>(w, "chkName")->click();
        QCOMPARE(w.format(), ExportFormat(format));
        child<QPushButton>(w, "cmdOK")->click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        const QString written =
            QString::fromLatin1(test::readAll(PreviewCommands::outputPath(ExportFormat(format))));
        const qsizetype blocks = written.count(QStringLiteral("-----------")) / 2 +
                                 written.count(QStringLiteral("class=\"person\""));
        QCOMPARE(blocks, 2);
        QVERIFY(!written.contains(QStringLiteral("Lake"))); // no names: the box was unticked
    }
};

QTEST_MAIN(TestExportWindow)
#include "tst_exportwindow.moc"
