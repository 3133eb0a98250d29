#include "TestEnv.h"

#include "app/TextFunctions.h"

#include <QtTest>

using namespace velmora;

class TestTextFunctions : public QObject {
    Q_OBJECT
private slots:
    void fileNameOfPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("absolute") << "/home/anna/Documents/book.mdb" << "book.mdb";
        QTest::newRow("no folder") << "book.mdb" << "book.mdb";
        QTest::newRow("ends with slash") << "/home/anna/" << "";
        QTest::newRow("root file") << "/book.mdb" << "book.mdb";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("backslash is a name character") << "/data/a\\b.mdb" << "a\\b.mdb";
        QTest::newRow("blanks and dots kept") << "/x/ my book .v1.mdb" << " my book .v1.mdb";
    }
    void fileNameOfPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(velmora::fileNameOfPath(path), expected);
    }

    void emailUserName_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "anna.berg@yahoo.com" << "anna.berg";
        QTest::newRow("first at sign counts") << "a@b@c" << "a";
        QTest::newRow("starts with at") << "@yahoo.com" << "";
        QTest::newRow("no at sign") << "anna.berg" << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("blanks kept") << " anna @x" << " anna ";
    }
    void emailUserName()
    {
        QFETCH(QString, address);
        QFETCH(QString, expected);
        QCOMPARE(velmora::emailUserName(address), expected);
    }
};

QTEST_MAIN(TestTextFunctions)
#include "tst_textfunctions.moc"
