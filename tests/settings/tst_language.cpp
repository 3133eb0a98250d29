#include "TestEnv.h"

#include "settings/LanguageList.h"
#include "settings/Settings.h"
#include "settings/Translate.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace velmora;

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

void writeLanguage(const QString &name, const QByteArray &content)
{
    writeFile(languageFile(name), content);
}

const QByteArray kDutch = "[Info]\nLanguage=Nederlands\nVersion=1.3.1\nTranslator=Anne\n"
                          "[Translation]\nAdd=Toevoegen\nBirthday calendar=Verjaardagskalender\n"
                          "Empty=\nQuoted=\"  Zoeken  \"\n";

QStringList captions(const LanguageList &list)
{
    QStringList out;
    for (const auto &entry : list.entries())
        out << entry.caption;
    return out;
}

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
        QTest::newRow("key case") << "Dutch" << "Birthday Calendar" << "Verjaardagskalender";
        QTest::newRow("missing key") << "Dutch" << "Remove" << "Remove";
        QTest::newRow("empty value") << "Dutch" << "Empty" << "Empty";
        QTest::newRow("quotes removed") << "Dutch" << "Quoted" << "  Zoeken  ";
        QTest::newRow("missing file") << "Klingon" << "Add" << "Add";
        QTest::newRow("English without file") << "English" << "Add" << "Add";
        QTest::newRow("file name case") << "dutch" << "Add" << "Add";
        QTest::newRow("empty text") << "Dutch" << "" << "";
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
        QCOMPARE(getLanguageInfo(QStringLiteral("Translator")), QStringLiteral("Anne"));
        QCOMPARE(getLanguageInfo(QStringLiteral("Add")), QString());
        QCOMPARE(getLanguageInfo(QStringLiteral("Website")), QString());
    }

    void fileWithoutTranslationSectionStillHasInfo()
    {
        test::TestEnv env;
        writeLanguage(QStringLiteral("Info only"), "[Info]\nLanguage=Nur Info\nTranslator=X\n");
        saveSetting(QStringLiteral("Language"), QStringLiteral("Info only"));
        QCOMPARE(T("Add"), QStringLiteral("Add"));
        QCOMPARE(getLanguageInfo(QStringLiteral("Language")), QStringLiteral("Nur Info"));
    }

    void longTranslationIsCut()
    {
        test::TestEnv env;
        writeLanguage(QStringLiteral("Long"), "[Translation]\nAdd=" + QByteArray(300, 'y') + "\n");
        saveSetting(QStringLiteral("Language"), QStringLiteral("Long"));
        QCOMPARE(T("Add"), QString(254, QLatin1Char('y')));
    }

    void changedLanguageFileIsSeen()
    {
        test::TestEnv env;
        saveSetting(QStringLiteral("Language"), QStringLiteral("Dutch"));
        writeLanguage(QStringLiteral("Dutch"), "[Translation]\nAdd=Erbij\n");
        QCOMPARE(T("Add"), QStringLiteral("Erbij"));
        writeLanguage(QStringLiteral("Dutch"), "[Translation]\nAdd=Nieuw\n");
        QCOMPARE(T("Add"), QStringLiteral("Nieuw"));
        QVERIFY(QFile::remove(languageFile(QStringLiteral("Dutch"))));
        QCOMPARE(T("Add"), QStringLiteral("Add"));
    }

    void noLanguageFolder()
    {
        test::TestEnv env;
        LanguageList list;
        list.initLanguage();
        QCOMPARE(captions(list), QStringList{QStringLiteral("English")});
        QCOMPARE(list.checkedIndex(), 0);
        QCOMPARE(T("Add"), QStringLiteral("Add"));
    }

    void menuEntries()
    {
        test::TestEnv env;
        writeLanguage(QStringLiteral("German"), "[Translation]\nAdd=Neu\n");
        writeLanguage(QStringLiteral("Dutch"), kDutch);
        writeLanguage(QStringLiteral("dutch"), "[Translation]\nAdd=klein\n");
        writeLanguage(QStringLiteral("Norwegian (Bokmål)"), "");
        writeFile(languageFile(QString()), "[Translation]\nAdd=hidden\n"); // ".ini"
        writeFile(languageFolder() + QStringLiteral("Readme.txt"), "not a language");
        writeFile(languageFolder() + QStringLiteral("Upper.INI"), "[Translation]\nAdd=upper\n");
        QDir().mkpath(languageFolder() + QStringLiteral("Folder.ini"));

        LanguageList list;
        list.build();
        QStringList got = captions(list);
        QCOMPARE(got.takeFirst(), QStringLiteral("English"));
        QCOMPARE(got.size(), 4);
        QCOMPARE(got.indexOf(QStringLiteral("German")), 2); // ordered by name
        QVERIFY(got.contains(QStringLiteral("Dutch")));
        QVERIFY(got.contains(QStringLiteral("dutch")));
        QVERIFY(got.contains(QString::fromUtf8("Norwegian (Bokmål)")));
        QCOMPARE(list.checkedIndex(), -1);

        // A stored name matches only the entry with the same case.
        saveSetting(QStringLiteral("Language"), QStringLiteral("dutch"));
        list.initLanguage();
        QCOMPARE(list.entries().at(list.checkedIndex()).caption, QStringLiteral("dutch"));
        int checked = 0;
        for (const auto &entry : list.entries())
            checked += entry.checked ? 1 : 0;
        QCOMPARE(checked, 1);
        QCOMPARE(T("Add"), QStringLiteral("klein"));
    }

    void englishFileHasNoSecondEntry()
    {
        test::TestEnv env;
        writeLanguage(QStringLiteral("English"), "[Translation]\nAdd=Add person\n");
        writeLanguage(QStringLiteral("Dutch"), kDutch);
        LanguageList list;
        list.build();
        QCOMPARE(captions(list), (QStringList{QStringLiteral("English"), QStringLiteral("Dutch")}));
        QVERIFY(list.chooseLanguage(0));
        QCOMPARE(getSetting(QStringLiteral("Language")), QStringLiteral("English"));
        QCOMPARE(T("Add"), QStringLiteral("Add person"));
    }

    void storedLanguage_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<QString>("setting");
        const QString bokmal = QString::fromUtf8("Norwegian (Bokmål)");
        QTest::newRow("file name") << "French" << "French" << "French";
        QTest::newRow("Deutsch") << "Deutsch" << "German" << "German";
        QTest::newRow("Nederlands") << "Nederlands" << "Dutch" << "Dutch";
        QTest::newRow("Español") << QString::fromUtf8("Español") << "Spanish" << "Spanish";
        QTest::newRow("français") << QString::fromUtf8("français") << "French" << "French";
        QTest::newRow("Français other case") << QString::fromUtf8("Français") << "English"
                                             << QString::fromUtf8("Français");
        QTest::newRow("Norsk") << QString::fromUtf8("Norsk (bokmål)") << bokmal << bokmal;
        QTest::newRow("Dansk without file") << "Dansk" << "English" << "Dansk";
        QTest::newRow("removed file") << "Klingon" << "English" << "Klingon";
        QTest::newRow("English") << "English" << "English" << "English";
    }
    void storedLanguage()
    {
        test::TestEnv env;
        QFETCH(QString, stored);
        QFETCH(QString, checked);
        QFETCH(QString, setting);
        for (const char *name : {"Dutch", "French", "German", "Spanish", "Norwegian (Bokmål)"})
            writeLanguage(QString::fromUtf8(name), "[Translation]\n");
        saveSetting(QStringLiteral("Language"), stored);
        LanguageList list;
        list.initLanguage();
        QCOMPARE(list.entries().at(list.checkedIndex()).caption, checked);
        QCOMPARE(getSetting(QStringLiteral("Language")), setting);
    }

    void firstStartDetection_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<QString>("setting");
        QTest::newRow("German with file") << "de_AT" << "German" << "German";
        QTest::newRow("Dutch with file") << "nl_BE" << "Dutch" << "Dutch";
        QTest::newRow("Finnish without file") << "fi_FI" << "English" << "";
        QTest::newRow("English") << "en_US" << "English" << "";
    }
    void firstStartDetection()
    {
        test::TestEnv env;
        QFETCH(QString, locale);
        QFETCH(QString, checked);
        QFETCH(QString, setting);
        writeLanguage(QStringLiteral("German"), "[Translation]\nAdd=Hinzu\n");
        writeLanguage(QStringLiteral("Dutch"), kDutch);
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
        QCOMPARE(list.checkedIndex(), 2);
        QCOMPARE(getSetting(QStringLiteral("Language")), QStringLiteral("German"));
        QCOMPARE(T("Add"), QStringLiteral("Hinzu"));

        QVERIFY(list.chooseLanguage(1));
        QCOMPARE(T("Add"), QStringLiteral("Toevoegen"));

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
