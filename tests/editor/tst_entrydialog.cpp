#include "TestEnv.h"

#include "editor/ui/EntryDialog.h"
#include "settings/Settings.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace velmora;

using Kind = EntryDialog::Kind;
using Mode = EntryDialog::Mode;
Q_DECLARE_METATYPE(EntryDialog::Kind)
Q_DECLARE_METATYPE(EntryDialog::Mode)

namespace {

QListWidgetItem *addRow(QListWidget &list, const QString &text, const QString &value)
{
    auto *item = new QListWidgetItem(text, &list);
    item->setToolTip(text);
    item->setData(EntryDialog::ValueRole, value);
    return item;
}

QString row(QListWidget &list, int i)
{
    QListWidgetItem *item = list.item(i);
    return item->text() + QLatin1Char('=') + item->data(EntryDialog::ValueRole).toString() +
           QLatin1Char('|') + item->toolTip();
}

} // namespace

class TestEntryDialog : public QObject {
    Q_OBJECT
private slots:
    void okFollowsTheValue_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("phone: blanks only") << Kind::Phone << "   " << false;
        QTest::newRow("phone: a digit") << Kind::Phone << " 1" << true;
        QTest::newRow("e-mail: one blank") << Kind::Email << " " << true;
    }
    void okFollowsTheValue()
    {
        test::TestEnv env;
        QFETCH(Kind, kind);
        QFETCH(QString, typed);
        QFETCH(bool, enabled);
        QListWidget list;
        EntryDialog dialog(kind, Mode::Add, false, &list, {});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClicks(dialog.valueField(), typed);
        QCOMPARE(dialog.okButton()->isEnabled(), enabled);
        // Enter presses OK only when it is enabled.
        QTest::keyClick(dialog.valueField(), Qt::Key_Return);
        QCOMPARE(list.count(), enabled ? 1 : 0);
        QCOMPARE(dialog.isVisible(), !enabled);
        if (!enabled) {
            // Deleting it all again disables OK.
            QTest::keyClicks(dialog.valueField(), QStringLiteral("5"));
            QVERIFY(dialog.okButton()->isEnabled());
            dialog.valueField()->clear();
            QVERIFY(!dialog.okButton()->isEnabled());
        }
    }

    void addWritesTheEntry_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("row");
        QTest::newRow("blanks around, no description") << Kind::Phone << "  0471  "
                                                       << "  "
                                                       << "  0471  =0471|  0471  ";
        QTest::newRow("e-mail of one blank") << Kind::Email << " " << "" << " =| ";
        QTest::newRow("description with parentheses") << Kind::Email << "a@b.c"
                                                      << "work (old)"
                                                      << "a@b.c (work (old))=a@b.c|a@b.c (work (old))";
    }
    void addWritesTheEntry()
    {
        test::TestEnv env;
        QFETCH(Kind, kind);
        QFETCH(QString, value);
        QFETCH(QString, description);
        QListWidget list;
        addRow(list, QStringLiteral("first"), QStringLiteral("first"));
        addRow(list, QStringLiteral("second"), QStringLiteral("second"));
        list.setCurrentRow(0);
        int controls = 0;
        EntryDialog dialog(kind, Mode::Add, false, &list, [&] { ++controls; });
        dialog.valueField()->setText(value);
        dialog.descriptionField()->setText(description);
        dialog.okButton()->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        // Appended at the end, whichever row was selected, and selected.
        QCOMPARE(list.count(), 3);
        QTEST(row(list, 2), "row");
        QCOMPARE(list.currentRow(), 2);
        QVERIFY(list.item(2)->isSelected());
        QCOMPARE(controls, 1);
    }

    void editFillsAndRewrites_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("shownValue");
        QTest::addColumn<QString>("shownDescription");
        QTest::addColumn<QString>("newDescription"); // null: unchanged
        QTest::addColumn<QString>("row");
        QTest::newRow("parenthesised description unchanged")
            << "123 (work (old))"
            << "123"
            << "123"
            << "work (old)" << QString() << "123 (work (old))=123|123 (work (old))";
        QTest::newRow("description removed") << "123 (home)"
                                             << "123"
                                             << "123"
                                             << "home"
                                             << ""
                                             << "123=123|123";
        QTest::newRow("text with blanks around") << "  123  "
                                                 << "123"
                                                 << "123"
                                                 << "" << QString() << "123=123|123";
    }
    void editFillsAndRewrites()
    {
        test::TestEnv env;
        QFETCH(QString, text);
        QFETCH(QString, value);
        QFETCH(QString, newDescription);
        QListWidget list;
        addRow(list, QStringLiteral("other"), QStringLiteral("other"));
        addRow(list, text, value);
        list.setCurrentRow(1);
        EntryDialog dialog(Kind::Phone, Mode::Edit, true, &list, {});
        QTEST(dialog.valueField()->text(), "shownValue");
        QTEST(dialog.descriptionField()->text(), "shownDescription");
        QVERIFY(dialog.okButton()->isEnabled());
        if (!newDescription.isNull())
            dialog.descriptionField()->setText(newDescription);
        dialog.okButton()->click();
        QCOMPARE(list.count(), 2);
        QTEST(row(list, 1), "row");
        QCOMPARE(row(list, 0), QStringLiteral("other=other|other"));
    }

};

QTEST_MAIN(TestEntryDialog)
#include "tst_entrydialog.moc"
