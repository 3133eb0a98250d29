#include "TestEnv.h"
#include "TestFiles.h"

#include "settings/LanguageList.h"
#include "settings/Settings.h"
#include "settings/Translate.h"

#include <QtTest>

using namespace velmora;

class TestLanguage : public QObject {
    Q_OBJECT
    static inline const QByteArray kDutch = "[Info]\nLanguage=Nederlands\nVersion=1.3.1\n"
                                            "[Translation]\nAdd=Toevoegen\nEmpty=\n";

private slots:
    // A text without a translation stays English; the [Info] section is read
    // apart from the texts.
    void translate_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("info"); // getLanguageInfo instead of translate
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("no language chosen") << "" << false << "Add" << "Add";
        QTest::newRow("translated") << "Dutch" << false << "Add" << "Toevoegen";
        QTest::newRow("empty value") << "Dutch" << false << "Empty" << "Empty";
        QTest::newRow("missing file") << "Klingon" << false << "Add" << "Add";
        QTest::newRow("file name case") << "dutch" << false << "Add" << "Add";
        QTest::newRow("info") << "Dutch" << true << "version" << "1.3.1";
        QTest::newRow("info is no text") << "Dutch" << true << "Add" << "";
        // clang-format on
    }
    void translate()
    {
        test::TestEnv env;
        QFETCH(QString, language);
        QFETCH(bool, info);
        QFETCH(QString, text);
        test::writeFile(languageFile(QStringLiteral("Dutch")), kDutch);
        saveSetting(QStringLiteral("Language"), language);
        QTEST(info ? getLanguageInfo(text) : velmora::translate(text), "expected");
    }

    // A stored language, or on a first start (nothing stored) the one of the
    // user's locale. Without a file for it English is checked and the setting
    // stays as it was.
    void storedLanguage_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("checked");
        // clang-format off
        QTest::newRow("file name") << "French" << "de_AT" << "French";
        QTest::newRow("Español") << QString::fromUtf8("Español") << "en_US" << "Spanish";
        QTest::newRow("Français other case") << QString::fromUtf8("Français") << "en_US" << "English";
        QTest::newRow("removed file") << "Klingon" << "en_US" << "English";
        const char *const firstStart[][2] = {
            {"de_AT", "German"}, {"fi_FI", "English"}, {"zh_TW", "Chinese (Taiwan)"}, {"zh_HK", "English"},
            {"nl_BE", "Dutch"}, {"nn_NO", "Norwegian (Bokmål)"}, {"pt_BR", "Portuguese (Brazilian)"},
            {"pt_PT", "Portuguese (Portugal)"}, {"sr_RS", "Serbian (Cyrillic)"}, {"es_AR", "Spanish"},
            {"sr_Latn_RS", "English"}, {"C", "English"},
        };
        // clang-format on
        for (const auto &[locale, language] : firstStart)
            QTest::newRow(locale) << QString() << locale << QString::fromUtf8(language);
    }
    void storedLanguage()
    {
        test::TestEnv env;
        QFETCH(QString, stored);
        QFETCH(QString, locale);
        QFETCH(QString, checked);
        for (const char *name :
             {"Dutch", "French", "German", "Spanish", "Chinese (Taiwan)", "Norwegian (Bokmål)",
              "Portuguese (Brazilian)", "Portuguese (Portugal)", "Serbian (Cyrillic)"})
            test::writeFile(languageFile(QString::fromUtf8(name)), "[Translation]\n");
        if (!stored.isNull())
            saveSetting(QStringLiteral("Language"), stored);
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        LanguageList list;
        list.initLanguage();
        QLocale::setDefault(before);
        QCOMPARE(list.entries().at(list.checkedIndex()).caption, checked);
        QCOMPARE(getSetting(QStringLiteral("Language")),
                 checked == QLatin1String("English") ? stored : checked);
    }

    void choosingALanguage()
    {
        test::TestEnv env;
        test::writeFile(languageFile(QStringLiteral("Dutch")), kDutch);
        test::writeFile(languageFile(QStringLiteral("German")), "[Translation]\nAdd=Hinzu\n");
        LanguageList list;
        list.initLanguage();
        QVERIFY(list.chooseLanguage(2));
        QCOMPARE(getSetting(QStringLiteral("Language")), QStringLiteral("German"));
        QCOMPARE(T("Add"), QStringLiteral("Hinzu"));

        QVERIFY(list.chooseLanguage(0));
        QCOMPARE(T("Add"), QStringLiteral("Add"));

        // An index outside the list changes nothing.
        QVERIFY(!list.chooseLanguage(3));
        QVERIFY(!list.chooseLanguage(-1));
        QCOMPARE(list.checkedIndex(), 0);
        QCOMPARE(getSetting(QStringLiteral("Language")), QStringLiteral("English"));
    }
};

QTEST_GUILESS_MAIN(TestLanguage)
#include "tst_language.moc"
