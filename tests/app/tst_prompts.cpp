#include "TestEnv.h"

#include "app/Seams.h"
#include "app/ui/WidgetPrompts.h"

#include <QtTest>

using namespace velmora;

class TestPrompts : public QObject {
    Q_OBJECT
private slots:
    void filterConversion_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("labelled") << "Velmora database (*.mdb)|*.mdb" << "Velmora database (*.mdb)";
        QTest::newRow("unlabelled") << "Text|*.txt|All|*.*" << "Text (*.txt);;All (*.*)";
        QTest::newRow("several patterns") << "Pages|*.htm;*.html" << "Pages (*.htm *.html)";
        QTest::newRow("empty") << "" << "";
    }
    void filterConversion()
    {
        QFETCH(QString, filter);
        QFETCH(QString, expected);
        QCOMPARE(qtFilter(filter), expected);
    }
};

QTEST_MAIN(TestPrompts)
#include "tst_prompts.moc"
