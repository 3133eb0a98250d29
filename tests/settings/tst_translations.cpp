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
            c = literal.at(++i);
            c = c == u'n' ? QChar(u'\n') : c == u't' ? QChar(u'\t') : c == u'r' ? QChar(u'\r') : c;
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
        for (const QRegularExpressionMatch &match : call.globalMatch(QString::fromUtf8(file.readAll()))) {
            QString text;
            for (const QRegularExpressionMatch &literal : piece.globalMatch(match.captured(1)))
                text += unescape(literal.captured(1));
            texts[text].append(QDir(src).relativeFilePath(path));
        }
    }
    return texts;
}

QStringList placeholders(const QString &text)
{
    static const QRegularExpression arg(QStringLiteral("%[0-9]+"));
    QStringList found;
    for (const QRegularExpressionMatch &match : arg.globalMatch(text))
        found << match.captured();
    found.sort();
    return found;
}

} // namespace

class TestTranslations : public QObject {
    Q_OBJECT
private slots:
    // Every file is checked against the same texts. A text that cannot be a
    // key of a language file ("=", a leading "[" or ";", a line break) is the
    // source's fault, not the translators'.
    void initTestCase()
    {
        m_texts = translatedTexts();
        // Texts every build has: a failure here means the search itself broke.
        QVERIFY(m_texts.count(QStringLiteral("Error")));
        QVERIFY(m_texts.count(QStringLiteral("The birthday reminder could not be set to start at log-on:")));
        static const QRegularExpression unusable(QStringLiteral("^$|^[[;]|[=\\r\\n]"));
        for (const auto &[text, files] : m_texts)
            QVERIFY2(!unusable.match(text).hasMatch(),
                     qPrintable(QStringLiteral("No language file can translate \"%1\" (%2)")
                                    .arg(text, files.join(QStringLiteral(", ")))));
    }

    void shippedLanguages_data()
    {
        QTest::addColumn<QString>("file");
        const QDir folder(test::sourceDataFolder() + QStringLiteral("/Language"));
        const QStringList files = folder.entryList({QStringLiteral("*.ini")}, QDir::Files);
        for (const char *required : {"Dutch.ini", "German.ini", "French.ini", "Spanish.ini"})
            QVERIFY2(files.contains(QString::fromLatin1(required)), required);
        for (const QString &file : files)
            QTest::newRow(qPrintable(file)) << folder.filePath(file);
    }
    void shippedLanguages()
    {
        QFETCH(QString, file);
        QFile raw(file);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        const QByteArray bytes = raw.readAll();
        QVERIFY2(QString::fromUtf8(bytes).toUtf8() == bytes, "language files are UTF-8");
        // No line holds a value the reader would cut.
        for (const QString &line : QString::fromUtf8(bytes).split(QLatin1Char('\n')))
            QVERIFY2(line.section(QLatin1Char('='), 1).trimmed().size() <= IniFile::kMaxValueLength,
                     qPrintable(line));

        const IniFile ini = IniFile::parse(bytes);
        for (const char *key : {"Language", "Version", "Translator"})
            QVERIFY2(!ini.value(QStringLiteral("Info"), QString::fromLatin1(key)).isEmpty(), key);

        QStringList missing, wrongPlaceholders;
        for (const auto &[text, files] : m_texts) {
            const QString translation = ini.value(QStringLiteral("Translation"), text);
            if (translation.isEmpty())
                missing << QStringLiteral("%1=  (%2)").arg(text, files.join(QStringLiteral(", ")));
            else if (placeholders(translation) != placeholders(text))
                wrongPlaceholders << text;
        }
        if (!missing.isEmpty())
            QFAIL(qPrintable(QTest::currentDataTag() + QStringLiteral(" lacks:\n") +
                             missing.join(QLatin1Char('\n'))));
        if (!wrongPlaceholders.isEmpty())
            QFAIL(qPrintable(QTest::currentDataTag() + QStringLiteral(" changes the %n places of:\n") +
                             wrongPlaceholders.join(QLatin1Char('\n'))));
    }

private:
    std::map<QString, QStringList> m_texts;
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
