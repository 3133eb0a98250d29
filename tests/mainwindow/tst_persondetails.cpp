#include "TestEnv.h"

#include "mainwindow/PersonDetails.h"
#include "settings/DisplayOptions.h"

#include <QtTest>

using namespace velmora;

// The values of the details pane that need no window: age, caption, date
// text and the phone and e-mail rows.
class TestPersonDetails : public QObject {
    Q_OBJECT
    test::TestEnv m_env;

private slots:
    void age_data()
    {
        QTest::addColumn<QDate>("born");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("age");
        QTest::newRow("29 Feb, day before in common year") << QDate(2004, 2, 29) << QDate(2025, 2, 28) << 20;
        QTest::newRow("29 Feb, 1 March") << QDate(2004, 2, 29) << QDate(2025, 3, 1) << 21;
        QTest::newRow("29 Feb, leap day") << QDate(2004, 2, 29) << QDate(2008, 2, 29) << 4;
        QTest::newRow("29 Feb, 28 Feb of leap year") << QDate(2004, 2, 29) << QDate(2008, 2, 28) << 3;
        QTest::newRow("birthday today") << QDate(1980, 12, 6) << QDate(2026, 12, 6) << 46;
        QTest::newRow("birthday tomorrow") << QDate(1980, 12, 7) << QDate(2026, 12, 6) << 45;
        QTest::newRow("born in a later year") << QDate(2030, 1, 1) << QDate(2026, 12, 6) << 0;
        QTest::newRow("last year, day not reached") << QDate(2025, 12, 24) << QDate(2026, 12, 6) << 0;
    }
    void age()
    {
        QFETCH(QDate, born);
        QFETCH(QDate, today);
        QFETCH(int, age);
        QCOMPARE(getAge(born, today), age);
    }

    void caption_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("caption");
        const QString fl = QStringLiteral("First name Last name");
        const QString lf = QStringLiteral("Last name First name");
        QTest::newRow("first name order") << "Anne " << " Smith" << fl << "Anne Smith";
        QTest::newRow("last name order") << "Anne" << "Smith" << lf << "Smith Anne";
        QTest::newRow("only last name, first order") << "" << "Smith  " << fl << "Smith";
        QTest::newRow("ampersand") << "Tom & Jerry" << "" << fl << "Tom && Jerry";
    }
    void caption()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, list);
        QFETCH(QString, caption);
        QCOMPARE(detailsCaption(first, last, list), caption);
    }

    void dateText_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("text");
        QTest::newRow("day first") << "dd/mm/yyyy" << "05/01/0987";
        QTest::newRow("month first") << "mm/dd/yyyy" << "01/05/0987";
        QTest::newRow("year first") << "yyyy/mm/dd" << "0987/01/05";
        QTest::newRow("empty") << "" << "";
    }
    void dateText()
    {
        QFETCH(QString, format);
        QFETCH(QString, text);
        QCOMPARE(formatDateOfBirth(QDate(987, 1, 5), format), text);
    }

    void entries_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<bool>("described");
        QTest::newRow("with description") << " 0471 12 " << " home " << "0471 12 (home)" << "0471 12" << true;
        QTest::newRow("without") << "0471 12" << "   " << "0471 12" << "0471 12" << false;
    }
    void entries()
    {
        QFETCH(QString, value);
        QFETCH(QString, description);
        QFETCH(QString, text);
        QFETCH(QString, tag);
        QFETCH(bool, described);
        const DetailEntry e = detailEntry(value, description);
        QCOMPARE(e.text, text);
        QCOMPARE(e.tag, tag);
        QCOMPARE(e.hasDescription(), described);
    }

};

QTEST_GUILESS_MAIN(TestPersonDetails)
#include "tst_persondetails.moc"
