#include "TestEnv.h"
#include "TestFiles.h"

#include "settings/LanguageList.h"
#include "settings/Settings.h"
#include "settings/Translate.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace velmora;

namespace {

using test::writeFile;

void writeLanguage(const QString &name, const QByteArray &content)
{
    writeFile(languageFile(name), content);
}

const QByteArray kDutch = QByteArray("[Info]\nLanguage=Nederlands\nVersion=1.3.1\nTranslator=Anne\n"
                                     "[Translation]\nAdd=Toevoegen\nBirthday calendar=Verjaardagskalender\n"
                                     "Empty=\nQuoted=\"  Zoeken  \"\nLong=") +
                          QByteArray(300, 'y') + "\n";

// The default locale for the life of the object (the user's locale on a
// first start).
class DefaultLocale {
public:
    explicit DefaultLocale(const QString &name) { QLocale::setDefault(QLocale(name)); }
    ~DefaultLocale() { QLocale::setDefault(m_before); }

private:
    QLocale m_before;
};

} // namespace

class TestLanguage : public QObject {
    Q_OBJECT
private slots:
    void translate_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no language chosen") << "" << "Add" << "Add";
        QTest::newRow("translated") << "Dutch" << "Add" << "Toevoegen";
        QTest::newRow("empty value") << "Dutch" << "Empty" << "Empty";
        QTest::newRow("quotes removed") << "Dutch" << "Quoted" << "  Zoeken  ";
        QTest::newRow("long value cut") << "Dutch" << "Long" << QString(254, QLatin1Char('y'));
        QTest::newRow("missing file") << "Klingon" << "Add" << "Add";
        QTest::newRow("file name case") << "dutch" << "Add" << "Add";
    }
    void translate()
    {
        test::TestEnv env;
        QFETCH(QString, language);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        writeLanguage(QStringLiteral("Dutch"), kDutch);
        saveSetting(QStringLiteral("Language"), language);
        QCOMPARE(velmora::translate(text), expected);
    }

    void languageInfo()
    {
        test::TestEnv env;
        writeLanguage(QStringLiteral("Dutch"), kDutch);
        QCOMPARE(getLanguageInfo(QStringLiteral("Language")), QString());
        saveSetting(QStringLiteral("Language"), QStringLiteral("Dutch"));
        QCOMPARE(getLanguageInfo(QStringLiteral("Language")), QStringLiteral("Nederlands"));
        QCOMPARE(getLanguageInfo(QStringLiteral("version")), QStringLiteral("1.3.1"));
        QCOMPARE(getLanguageInfo(QStringLiteral("Add")), QString());
    }

    // A stored language, or on a first start (nothing stored) the user's locale.
    void storedLanguage_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<QString>("setting");
        const QString bokmal = QString::fromUtf8("Norwegian (Bokmål)");
        QTest::newRow("file name") << "French" << "de_AT" << "French" << "French";
        QTest::newRow("Español") << QString::fromUtf8("Español") << "en_US" << "Spanish" << "Spanish";
        QTest::newRow("Français other case") << QString::fromUtf8("Français") << "en_US"
                                             << "English" << QString::fromUtf8("Français");
        QTest::newRow("Norsk") << QString::fromUtf8("Norsk (bokmål)") << "en_US" << bokmal << bokmal;
        QTest::newRow("removed file") << "Klingon" << "en_US" << "English" << "Klingon";
        QTest::newRow("first start, German with file") << QString() << "de_AT" << "German" << "German";
        QTest::newRow("first start, Finnish without file") << QString() << "fi_FI" << "English" << "";
        QTest::newRow("first start, English") << QString() << "en_US" << "English" << "";
    }
    void storedLanguage()
    {
        test::TestEnv env;
        QFETCH(QString, stored);
        QFETCH(QString, locale);
        QFETCH(QString, checked);
        QFETCH(QString, setting);
        for (const char *name : {"Dutch", "French", "German", "Spanish", "Norwegian (Bokmål)"})
            writeLanguage(QString::fromUtf8(name), "[Translation]\n");
        if (!stored.isNull())
            saveSetting(QStringLiteral("Language"), stored);
        DefaultLocale userLocale(locale);
        LanguageList list;
        list.initLanguage();
        QCOMPARE(list.entries().at(list.checkedIndex()).caption, checked);
        QCOMPARE(getSetting(QStringLiteral("Language")), setting);
    }

    void choosingALanguage()
    {
        test::TestEnv env;
        writeLanguage(QStringLiteral("Dutch"), kDutch);
        writeLanguage(QStringLiteral("German"), "[Translation]\nAdd=Hinzu\n");
        LanguageList list;
        list.initLanguage();
        QCOMPARE(list.checkedIndex(), 0);

        QVERIFY(list.chooseLanguage(2));
        QCOMPARE(getSetting(QStringLiteral("Language")), QStringLiteral("German"));
        QCOMPARE(T("Add"), QStringLiteral("Hinzu"));

        QVERIFY(list.chooseLanguage(0));
        QCOMPARE(getSetting(QStringLiteral("Language")), QStringLiteral("English"));
        QCOMPARE(T("Add"), QStringLiteral("Add"));

        QVERIFY(!list.chooseLanguage(3));
        QVERIFY(!list.chooseLanguage(-1));
        QCOMPARE(list.checkedIndex(), 0);
        QCOMPARE(getSetting(QStringLiteral("Language")), QStringLiteral("English"));
    }
};

QTEST_GUILESS_MAIN(TestLanguage)
#include "tst_language.moc"
