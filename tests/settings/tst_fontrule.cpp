#include "TestEnv.h"

#include "birthdays/ui/ReminderWindow.h"
#include "editor/ui/PersonEditor.h"
#include "mainwindow/ui/MainWindow.h"
#include "settings/DisplayOptions.h"
#include "settings/Settings.h"

#include <QAction>
#include <QTreeView>
#include <QtTest>

using namespace velmora;

// One font-size rule for every window: the main window's list, the person
// editor's boxes and the reminder list all take the same point size for a
// "Font Size" of 8 or 10.
class TestFontRule : public QObject {
    Q_OBJECT

private slots:
    void everyWindowFollowsOneRule_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("size 8") << 8;
        QTest::newRow("size 10") << 10;
    }
    void everyWindowFollowsOneRule()
    {
        QFETCH(int, size);
        test::TestEnv env;
        MainWindow window;
        window.action(QStringLiteral("mnuOptionsFontSize%1").arg(size))->trigger();
        QCOMPARE(getSetting(QStringLiteral("Font Size")), QString::number(size));

        PersonEditor editor(PersonEditor::Mode::Add, 0, &window);
        ReminderWindow reminder({});
        const qreal points = fontPoints(size);
        QCOMPARE(window.listView()->font().pointSizeF(), points);
        QCOMPARE(editor.findChild<QWidget *>(QStringLiteral("txtFirstname"))->font().pointSizeF(), points);
        QCOMPARE(reminder.findChild<QWidget *>(QStringLiteral("lvwReminder"))->font().pointSizeF(), points);
    }

    // "Size 8" is the desktop's size, "Size 10" a quarter larger.
    void sizesFollowTheDesktop()
    {
        QCOMPARE(fontPoints(8), QGuiApplication::font().pointSizeF());
        QCOMPARE(fontPoints(10), fontPoints(8) * 1.25);
    }
};

QTEST_MAIN(TestFontRule)
#include "tst_fontrule.moc"
