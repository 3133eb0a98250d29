#include "TestEnv.h"

#include "settings/IniFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include <map>

using namespace velmora;

namespace {

// A C++ string literal's contents with its escapes resolved.
QString unescape(const QString &literal)
{
    QString out;
    for (qsizetype i = 0; i < literal.size(); ++i) {
        QChar c = literal.at(i);
        if (c == u'\\' && i + 1 < literal.size()) {
            const QChar e = literal.at(++i);
            switch (e.unicode()) {
            case u'n':
                c = QChar(u'\n');
                break;
            case u't':
                c = QChar(u'\t');
                break;
            case u'r':
                c = QChar(u'\r');
                break;
            default:
                c = e;
            }
        }
        out += c;
    }
    return out;
}

// Every English text the program's sources pass to T(...) or translate(...)
// as a literal, with the files that use it.
std::map<QString, QStringList> translatedTexts()
{
    static const QRegularExpression call(QStringLiteral(
        R"re(\b(?:T|translate)\(\s*(?:QStringLiteral\(|QLatin1String\(|QString::fromUtf8\(|u8?)?\s*((?:"(?:[^"\\\n]|\\.)*"\s*)+))re"));
    static const QRegularExpression piece(QStringLiteral(R"re("((?:[^"\\\n]|\\.)*)")re"));
    std::map<QString, QStringList> texts;
    const QString src = QStringLiteral(VELMORA_SOURCE_DIR "/src");
    QDirIterator it(src, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString code = QString::fromUtf8(file.readAll());
        auto calls = call.globalMatch(code);
        while (calls.hasNext()) {
            const QString literals = calls.next().captured(1);
            QString text;
            auto pieces = piece.globalMatch(literals);
            while (pieces.hasNext())
                text += unescape(pieces.next().captured(1));
            texts[text].append(QDir(src).relativeFilePath(path));
        }
    }
    return texts;
}

QStringList placeholders(const QString &text)
{
    static const QRegularExpression arg(QStringLiteral("%[0-9]+"));
    QStringList found;
    auto it = arg.globalMatch(text);
    while (it.hasNext())
        found << it.next().captured();
    found.sort();
    return found;
}

QString languageFolder()
{
    return test::sourceDataFolder() + QStringLiteral("/Language");
}

} // namespace

class TestTranslations : public QObject {
    Q_OBJECT
private slots:
    void sourcesAreFound()
    {
        test::TestEnv env;
        const auto texts = translatedTexts();
        // Texts every build has: a failure here means the search itself broke.
        QVERIFY(texts.count(QStringLiteral("Error")) == 1);
        QVERIFY(texts.count(QStringLiteral("The birthday reminder could not be set to start at log-on:")) == 1);
    }

    // A text can only be a key of a language file when the INI rules leave
    // it intact.
    void everyTextCanBeAKey()
    {
        test::TestEnv env;
        QStringList bad;
        for (const auto &[text, files] : translatedTexts()) {
            if (text.isEmpty() || text != text.trimmed() || text.contains(QLatin1Char('=')) ||
                text.startsWith(QLatin1Char('[')) || text.startsWith(QLatin1Char(';')) ||
                text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
                bad << QStringLiteral("\"%1\" (%2)").arg(text, files.join(QStringLiteral(", ")));
        }
        if (!bad.isEmpty())
            QFAIL(qPrintable(QStringLiteral("Texts that no language file can translate:\n") +
                             bad.join(QLatin1Char('\n'))));
    }

    void shippedLanguages_data()
    {
        QTest::addColumn<QString>("file");
        const QStringList files = QDir(languageFolder()).entryList({QStringLiteral("*.ini")}, QDir::Files);
        for (const char *required : {"Dutch.ini", "German.ini", "French.ini", "Spanish.ini"})
            QVERIFY2(files.contains(QString::fromLatin1(required)), required);
        for (const QString &file : files)
            QTest::newRow(qPrintable(file)) << file;
    }
    void shippedLanguages()
    {
        test::TestEnv env;
        QFETCH(QString, file);
        QFile raw(languageFolder() + QLatin1Char('/') + file);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        const QByteArray bytes = raw.readAll();
        QVERIFY2(QString::fromUtf8(bytes).toUtf8() == bytes, "language files are UTF-8");

        const IniFile ini = IniFile::parse(bytes);
        for (const char *key : {"Language", "Version", "Translator"})
            QVERIFY2(!ini.value(QStringLiteral("Info"), QString::fromLatin1(key)).isEmpty(), key);

        QStringList missing;
        QStringList wrongPlaceholders;
        for (const auto &[text, files] : translatedTexts()) {
            const QString translation = ini.value(QStringLiteral("Translation"), text);
            if (translation.isEmpty())
                missing << QStringLiteral("%1=  (%2)").arg(text, files.join(QStringLiteral(", ")));
            else if (placeholders(translation) != placeholders(text))
                wrongPlaceholders << text;
        }
        if (!missing.isEmpty())
            QFAIL(qPrintable(file + QStringLiteral(" lacks:\n") + missing.join(QLatin1Char('\n'))));
        if (!wrongPlaceholders.isEmpty())
            QFAIL(qPrintable(file + QStringLiteral(" changes the %n places of:\n") +
                             wrongPlaceholders.join(QLatin1Char('\n'))));
    }

    void noTranslationIsCut()
    {
        test::TestEnv env;
        const QStringList files = QDir(languageFolder()).entryList({QStringLiteral("*.ini")}, QDir::Files);
        for (const QString &file : files) {
            QFile raw(languageFolder() + QLatin1Char('/') + file);
            QVERIFY(raw.open(QIODevice::ReadOnly));
            const QStringList lines = QString::fromUtf8(raw.readAll()).split(QLatin1Char('\n'));
            for (const QString &line : lines) {
                const QString value = line.section(QLatin1Char('='), 1).trimmed();
                QVERIFY2(value.size() <= IniFile::kMaxValueLength, qPrintable(file + QStringLiteral(": ") + line));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
