#include "HardCases.h"
#include "TestBook.h"
#include "TestEnv.h"
#include "TestFiles.h"

#include "interchange/BirthdayIcs.h"
#include "interchange/PersonUid.h"
#include "store/Database.h"

#include <QJsonObject>
#include <QtTest>

using namespace velmora;

namespace {

const QDateTime kStamp(QDate(2026, 12, 6), QTime(10, 0), Qt::UTC);

// Each event as icalendar reads it, with its next three occurrences from
// 2027 on as dateutil expands the rule.
const char *const kIcalendarScript = R"py(
import datetime, json, sys, icalendar
from dateutil.rrule import rrulestr
with open(sys.argv[1], 'rb') as f:
    cal = icalendar.Calendar.from_ical(f.read())
out = []
for e in cal.walk('VEVENT'):
    start = e.decoded('DTSTART')
    rule = e.get('RRULE').to_ical().decode()
    dates = rrulestr(rule, dtstart=datetime.datetime.combine(start, datetime.time()))
    after = dates.between(datetime.datetime(2027, 1, 1), datetime.datetime(2030, 1, 1), inc=True)
    alarms = [a for a in e.walk('VALARM')]
    out.append({
        'uid': str(e['UID']), 'summary': str(e['SUMMARY']), 'description': str(e['DESCRIPTION']),
        'start': start.isoformat(), 'allDay': type(start) is datetime.date,
        'end': e.decoded('DTEND').isoformat(),
        'next': [d.date().isoformat() for d in after],
        'alarm': str(alarms[0].decoded('TRIGGER')) if alarms else '',
        'stamp': e.decoded('DTSTAMP').isoformat(),
    })
print(json.dumps(out))
)py";

} // namespace

class TestBirthdayIcs : public QObject {
    Q_OBJECT

    test::TestEnv m_env;

private slots:
    void foldsLines()
    {
        const QByteArray ics = BirthdayIcs::calendar(test::hardCasePersons(20), kStamp);
        QVERIFY(ics.endsWith("END:VCALENDAR\r\n"));
        for (const QByteArray &line : ics.split('\n'))
            QVERIFY2(line.size() <= 76, line.constData()); // 75 octets and the CR
    }

    // Debian's icalendar reads every event back: all-day, yearly from the day
    // of birth, 29 February on the 28th in common years, summary, year of
    // birth, UID, alarm on the day.
    void icalendarReadsIt()
    {
        QList<CardPerson> persons = test::hardCasePersons(20);
        const QString path = m_env.file(QStringLiteral("birthdays.ics"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(BirthdayIcs::write(file, persons, kStamp));
        file.close();

        QJsonArray events;
        VELMORA_RUN_PYTHON("icalendar", kIcalendarScript, path, events);
        persons.removeIf([](const CardPerson &p) { return !p.dateOfBirth.isValid(); });
        QCOMPARE(events.size(), persons.size());
        bool sawLeapDay = false;
        for (qsizetype i = 0; i < persons.size(); ++i) {
            const CardPerson &p = persons.at(i);
            const QJsonObject e = events.at(i).toObject();
            QCOMPARE(e.value("uid").toString(), PersonUid::birthday(p));
            QCOMPARE(e.value("summary").toString(), p.firstName + u' ' + p.lastName);
            QCOMPARE(e.value("description").toString(),
                     QStringLiteral("Born in %1").arg(p.dateOfBirth.year()));
            QCOMPARE(e.value("start").toString(), p.dateOfBirth.toString(Qt::ISODate));
            QVERIFY(e.value("allDay").toBool());
            QCOMPARE(e.value("end").toString(), p.dateOfBirth.addDays(1).toString(Qt::ISODate));
            QCOMPARE(e.value("alarm").toString(), QStringLiteral("9:00:00"));
            QCOMPARE(e.value("stamp").toString(), QStringLiteral("2026-12-06T10:00:00+00:00"));
            QStringList next;
            for (int year = 2027; year <= 2029; ++year) {
                QDate d(year, p.dateOfBirth.month(), p.dateOfBirth.day());
                if (!d.isValid()) // 29 February in a common year
                    d = QDate(year, 2, 28);
                next += d.toString(Qt::ISODate);
            }
            sawLeapDay |= p.dateOfBirth.month() == 2 && p.dateOfBirth.day() == 29;
            QCOMPARE(e.value("next").toVariant().toStringList(), next);
        }
        QVERIFY(sawLeapDay);
    }

    // The toolbar command: the proposed name in the export folder, the
    // question before replacing, and a file that cannot be replaced left as
    // it was with a message.
    void savesTheBook()
    {
        QVERIFY(Database::instance().newDatabase(m_env.file(QStringLiteral("book.mdb"))));
        test::run(Database::instance().connection(),
                  {test::person(1, "Anne", "Smith", "#02/29/1980#"), test::person(2, "Bob", "Jones"),
                   test::person(3, "Cléa", "Roux", "#12/31/1970#")});
        const QString path = m_env.file(QStringLiteral("Velmora birthdays.ics"));
        m_env.prompts.queueText(path);
        QVERIFY(BirthdayIcs::saveBookAs());
        QCOMPARE(m_env.prompts.shown().front().kind, RecordingPrompts::Shown::SaveFile);
        const QByteArray written = test::readAll(path);
        QCOMPARE(written.count("BEGIN:VEVENT"), 2);
        QVERIFY(written.contains("SUMMARY:Cléa Roux\r\n"));

        m_env.prompts.clear();
        m_env.prompts.queueText(path);
        m_env.prompts.queueAnswer(Answer::No);
        QVERIFY(!BirthdayIcs::saveBookAs());
        QVERIFY(m_env.prompts.lastMessage().startsWith(QStringLiteral("File already exists:")));

        test::WriteProtect protect(path);
        if (protect.active()) {
            m_env.prompts.clear();
            m_env.prompts.queueText(path);
            m_env.prompts.queueAnswer(Answer::Yes);
            QVERIFY(!BirthdayIcs::saveBookAs());
            QVERIFY(m_env.prompts.lastMessage().contains(path));
            QCOMPARE(test::readAll(path), written);
        }
        Database::instance().closeDatabase(false);
    }

    void escapesTheName()
    {
        CardPerson p;
        p.contactnr = 7;
        p.firstName = QStringLiteral("a,b;c\\");
        p.lastName = QStringLiteral("Ünal");
        p.dateOfBirth = QDate(1990, 5, 17);
        const QByteArray ics = BirthdayIcs::calendar({p}, kStamp);
        QVERIFY2(ics.contains("\r\nSUMMARY:a\\,b\\;c\\\\ Ünal\r\n"), ics.constData());
        QVERIFY(ics.contains(
            "\r\nDTSTART;VALUE=DATE:19900517\r\nDTEND;VALUE=DATE:19900518\r\nRRULE:FREQ=YEARLY\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestBirthdayIcs)
#include "tst_birthdayics.moc"
