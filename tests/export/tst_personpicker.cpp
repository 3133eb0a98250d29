#include "TestBook.h"
#include "TestEnv.h"

#include "export/PickerLists.h"
#include "export/PickerPerson.h"
#include "export/ui/PersonPicker.h"
#include "store/Sql.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

using namespace velmora;

namespace {

// Persons 1 to count named "P<n>", in number order.
std::vector<PickerPerson> numbered(int count)
{
    std::vector<PickerPerson> persons;
    for (int i = 1; i <= count; ++i)
        persons.push_back({i, QStringLiteral("P%1").arg(i)});
    return persons;
}

std::vector<int> numbersOf(const PickerListModel &model)
{
    std::vector<int> numbers;
    for (int row = 0; row < model.rowCount(); ++row)
        numbers.push_back(model.personAt(row).contactnr);
    return numbers;
}

QString texts(const PickerListModel &model)
{
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row)
        out << model.data(model.index(row), Qt::DisplayRole).toString();
    return out.join(QLatin1Char('|'));
}

bool enabled(const QWidget &w, const char *name)
{
    return w.findChild<QPushButton *>(QLatin1String(name))->isEnabled();
}

// "1100": cmdAddOne, cmdAddAll, cmdRemoveOne, cmdRemoveAll enabled or not.
QString buttons(const QWidget &w)
{
    QString out;
    for (const char *name : {"cmdAddOne", "cmdAddAll", "cmdRemoveOne", "cmdRemoveAll"})
        out += enabled(w, name) ? QLatin1Char('1') : QLatin1Char('0');
    return out;
}

} // namespace

using Numbers = std::vector<int>;
Q_DECLARE_METATYPE(Numbers)

// The two-list person picker of the export window and the e-mail list.
class TestPersonPicker : public QObject {
    Q_OBJECT
    test::TestEnv m_env;

private slots:
    // The persons of a book in the name order of the setting, equal names by
    // number, names trimmed and joined in that order.
    void personList_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first name first") << "First name Last name"
                                          << "2 Ann Berg|4 Ann Berg|3 Bo Adams|1 Cy Adams";
        QTest::newRow("last name first") << "Last name First name"
                                         << "3 Adams Bo|1 Adams Cy|2 Berg Ann|4 Berg Ann";
    }
    void personList()
    {
        QFETCH(QString, list);
        Connection c;
        test::createBook(c, m_env.file(QStringLiteral("book.mdb")),
                         {test::person(4, "Ann", "Berg"), test::person(1, "Cy ", "Adams  "),
                          test::person(3, "Bo", "Adams"), test::person(2, "Ann", "Berg")});
        Connection *before = currentConnection();
        setCurrentConnection(&c);
        std::vector<PickerPerson> persons;
        const DbError e = loadPickerPersons(list, persons);
        setCurrentConnection(before);
        QVERIFY2(!e, qPrintable(e.description));
        QStringList out;
        for (const PickerPerson &p : persons)
            out << QString::number(p.contactnr) + QLatin1Char(' ') + p.text;
        QTEST(out.join(QLatin1Char('|')), "expected");
    }

    // Single moves: a person leaves one list for the other; the available
    // list keeps name order, the chosen list the order of choosing; a person
    // not in the list to leave changes nothing.
    void singleMoves()
    {
        PickerLists lists;
        lists.setPersons(numbered(5));
        QVERIFY(lists.moveToChosen(4).moved());
        QVERIFY(lists.moveToChosen(2).moved());
        QVERIFY(!lists.moveToChosen(2).moved());  // already chosen
        QVERIFY(!lists.moveToChosen(99).moved()); // no such person
        QCOMPARE(numbersOf(lists.chosen()), (Numbers{4, 2}));
        QCOMPARE(numbersOf(lists.available()), (Numbers{1, 3, 5}));
        const PickerLists::Move back = lists.moveFromChosen(4);
        QCOMPARE(back.from, 0);
        QCOMPARE(back.to, 2); // between 3 and 5
        QVERIFY(!lists.moveFromChosen(4).moved());
        QCOMPARE(numbersOf(lists.available()), (Numbers{1, 3, 4, 5}));
        QCOMPARE(lists.chosenContactnrs(), (Numbers{2}));
    }

    // Moves of many: add all after some single moves appends the rest in
    // list order; remove all restores the whole available list in name order.
    void bulkMoves()
    {
        PickerLists lists;
        lists.setPersons(numbered(6));
        lists.moveToChosen(5);
        QCOMPARE(lists.moveAllToChosen(), 5);
        QCOMPARE(numbersOf(lists.chosen()), (Numbers{5, 1, 2, 3, 4, 6}));
        QCOMPARE(lists.moveAllToChosen(), 0);
        lists.moveFromChosen(2);
        QCOMPARE(lists.moveAllFromChosen(), 5);
        QCOMPARE(numbersOf(lists.available()), (Numbers{1, 2, 3, 4, 5, 6}));
    }

    // The search result: only persons still available move, in the order of
    // the main list; numbers given twice or unknown are skipped; a second
    // press changes nothing.
    void searchResult_data()
    {
        QTest::addColumn<Numbers>("chosenBefore");
        QTest::addColumn<Numbers>("listed");
        QTest::addColumn<Numbers>("chosen");
        QTest::addColumn<Numbers>("available");
        QTest::newRow("none chosen") << Numbers{} << Numbers{4, 2} << Numbers{4, 2} << Numbers{1, 3, 5};
        QTest::newRow("one already chosen")
            << Numbers{2} << Numbers{4, 2, 1} << Numbers{2, 4, 1} << Numbers{3, 5};
        QTest::newRow("twice and unknown")
            << Numbers{} << Numbers{3, 77, 3} << Numbers{3} << Numbers{1, 2, 4, 5};
        QTest::newRow("empty result") << Numbers{1} << Numbers{} << Numbers{1} << Numbers{2, 3, 4, 5};
    }
    void searchResult()
    {
        QFETCH(Numbers, chosenBefore);
        QFETCH(Numbers, listed);
        PickerLists lists;
        lists.setPersons(numbered(5));
        for (int nr : chosenBefore)
            lists.moveToChosen(nr);
        lists.moveListedToChosen(listed);
        QTEST(numbersOf(lists.chosen()), "chosen");
        QTEST(numbersOf(lists.available()), "available");
        QCOMPARE(lists.moveListedToChosen(listed), 0);
        QTEST(numbersOf(lists.chosen()), "chosen");
    }

    // The widget: names, button states through a round of moves, the
    // preselected person, double clicks and the chosen-changed signal.
    void pickerWindow()
    {
        PersonPicker picker({QStringLiteral("lvwExport"), true});
        picker.setPersons(numbered(4));
        QSignalSpy changed(&picker, &PersonPicker::chosenChanged);
        QCOMPARE(buttons(picker), QStringLiteral("0100")); // nothing selected yet
        QVERIFY(!enabled(picker, "cmdSearchResult"));

        picker.preselect(3);
        QCOMPARE(picker.availableView()->currentIndex().row(), 2);
        QCOMPARE(buttons(picker), QStringLiteral("1100"));
        picker.findChild<QPushButton *>(QStringLiteral("cmdAddOne"))->click();
        QCOMPARE(picker.chosenContactnrs(), (Numbers{3}));
        QCOMPARE(changed.count(), 1);
        // The moved person is selected on its new side, the next one on the old.
        QCOMPARE(picker.chosenView()->currentIndex().row(), 0);
        QCOMPARE(texts(picker.lists().available()), QStringLiteral("P1|P2|P4"));
        QCOMPARE(picker.availableView()->currentIndex().data().toString(), QStringLiteral("P4"));
        QCOMPARE(buttons(picker), QStringLiteral("1111"));

        // Double click in the chosen list moves its current item back.
        emit picker.chosenView()->doubleClicked(picker.chosenView()->currentIndex());
        QCOMPARE(picker.chosenCount(), 0);
        QCOMPARE(texts(picker.lists().available()), QStringLiteral("P1|P2|P3|P4"));

        picker.findChild<QPushButton *>(QStringLiteral("cmdAddAll"))->click();
        QCOMPARE(picker.chosenCount(), 4);
        QCOMPARE(buttons(picker), QStringLiteral("0011"));
        picker.findChild<QPushButton *>(QStringLiteral("cmdRemoveAll"))->click();
        QCOMPARE(picker.availableCount(), 4);
        QCOMPARE(buttons(picker), QStringLiteral("1100"));
        QCOMPARE(changed.count(), 4);

        // The search result button works only with the Search button down.
        picker.setSearchResult(false, {2, 4});
        QVERIFY(!enabled(picker, "cmdSearchResult"));
        picker.setSearchResult(true, {2, 4});
        QVERIFY(enabled(picker, "cmdSearchResult"));
        picker.findChild<QPushButton *>(QStringLiteral("cmdSearchResult"))->click();
        QCOMPARE(picker.chosenContactnrs(), (Numbers{2, 4}));
        QCOMPARE(changed.count(), 5);
    }

    // The e-mail list's variant: another name for the chosen list, and a
    // change of its current item leaves the buttons as they were.
    void chosenClickLeavesButtons()
    {
        PersonPicker picker({QStringLiteral("lvwEmail"), false});
        picker.setPersons(numbered(3));
        picker.addAll();
        picker.chosenView()->selectionModel()->clearSelection();
        QCOMPARE(buttons(picker), QStringLiteral("0011"));

        PersonPicker exportPicker({QStringLiteral("lvwExport"), true});
        exportPicker.setPersons(numbered(3));
        exportPicker.addAll();
        exportPicker.chosenView()->selectionModel()->clearSelection();
        QCOMPARE(buttons(exportPicker), QStringLiteral("0001"));
    }
};

QTEST_MAIN(TestPersonPicker)
#include "tst_personpicker.moc"
