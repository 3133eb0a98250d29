#pragma once

#include "interchange/CardPerson.h"

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStringList>
#include <QtTest>

namespace velmora::test {

// Persons that test every corner of the vCard text rules: accents, Cyrillic,
// CJK, emoji, quotes, semicolons, commas, backslashes, colons, multi-line
// notes and addresses, 29 February, long values that fold inside multi-byte
// characters, descriptions that are type words and ones that are free text.
// Numbered from 1.
inline QList<CardPerson> hardCasePersons(int count = 60)
{
    const QStringList firsts = {"Zoë",         "Анна",        "美咲",    "Ørjan",      "D'Arcy",
                                "Jean-Luc",    "Łukasz",      "Renée 😀", "a;b",        "x,y",
                                "back\\slash", "colon:first", "Ἀθηνᾶ",   "\"Quoted\"", "José María"};
    const QStringList lasts = {"O'Brien",      "Иванова", "山田",       "Müller-Lüdenscheidt",
                               "van der Berg", "Nguyễn",  "semi;colon", "com,ma",
                               "tail\\",       "🎂🎉",      "Straße",     "L'Été",
                               "李",           "Ärger",   "Øster"};
    const QStringList phoneDescriptions = {
        "",      "cell", "home, work", "work, fax", "Grandma's (old)", "Büro; 2. Stock", "a,b",
        "voice", "pref", "Home",       "x\\y",      "カスタム"};
    QList<CardPerson> persons;
    for (int i = 0; i < count; ++i) {
        CardPerson p;
        p.contactnr = i + 1;
        p.firstName = firsts.at(i % firsts.size());
        if (i >= firsts.size()) // no two persons alike
            p.firstName += QLatin1Char(' ') + QString::number(i / firsts.size());
        p.lastName = lasts.at((i * 7) % lasts.size());
        if (i % 5 == 0)
            p.dateOfBirth = QDate(1976 + 4 * (i % 7), 2, 29);
        else if (i % 5 != 3)
            p.dateOfBirth = QDate(1930 + i % 80, 1 + i % 12, 1 + i % 28);
        if (i % 3 != 2)
            p.address =
                QStringLiteral("Rue de l'Église %1; Bâtiment B\n1000 Bruxelles, België\nКвартира 5 — 東京都")
                    .arg(i);
        if (i % 4 != 1) {
            p.note = QStringLiteral(
                         "Line one: \"quoted\", semi;colon, back\\slash\nLine two ünïcödé 🎂 中文字符 "
                         "and a long long long long long long long long long line %1\n\nafter a blank line")
                         .arg(i);
        }
        for (int k = 0; k < i % 4; ++k)
            p.phones.append(
                {QStringLiteral("+%1 (0) 555-01%2").arg(30 + k).arg(i % 100, 2, 10, QLatin1Char('0')),
                 phoneDescriptions.at((i + k) % phoneDescriptions.size())});
        for (int k = 0; k < (i + 1) % 3; ++k)
            p.emails.append({QStringLiteral("person%1.%2@exämple.org").arg(i).arg(k),
                             phoneDescriptions.at((i + 3 * k) % phoneDescriptions.size())});
        persons += p;
    }
    return persons;
}

// Runs a script with Debian's Python (the modules python3-vobject and
// python3-icalendar live there, not in other Pythons on the PATH) and gives
// what it prints as JSON. Skips the calling test when the module is missing.
#define VELMORA_RUN_PYTHON(module, script, argument, result)                                                 \
    do {                                                                                                     \
        QProcess check;                                                                                      \
        check.start(QStringLiteral("/usr/bin/python3"),                                                      \
                    {QStringLiteral("-c"), QStringLiteral("import ") + module});                             \
        if (!check.waitForFinished(30000) || check.exitCode() != 0)                                          \
            QSKIP("/usr/bin/python3 has no " module " module");                                              \
        QProcess python;                                                                                     \
        python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString(script), argument}); \
        QVERIFY(python.waitForFinished(60000));                                                              \
        const QByteArray errors = python.readAllStandardError();                                             \
        QVERIFY2(python.exitCode() == 0, errors.constData());                                                \
        QJsonParseError parseError;                                                                          \
        result = QJsonDocument::fromJson(python.readAllStandardOutput(), &parseError).array();               \
        QVERIFY2(parseError.error == QJsonParseError::NoError, qPrintable(parseError.errorString()));        \
    } while (false)

} // namespace velmora::test
