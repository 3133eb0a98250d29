#include "HardCases.h"
#include "TestEnv.h"

#include "app/PersonKey.h"
#include "interchange/PersonUid.h"
#include "interchange/VcardReader.h"
#include "interchange/VcardWriter.h"

#include <QBuffer>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QtTest>

using namespace velmora;

Q_DECLARE_METATYPE(velmora::VcardWriter::Version)

namespace {

// What a reader gives back carries no number.
QList<CardPerson> withoutNumbers(QList<CardPerson> persons)
{
    for (CardPerson &p : persons)
        p.contactnr = 0;
    return persons;
}

QStringList values(const QList<CardEntry> &entries)
{
    QStringList out;
    for (const CardEntry &e : entries)
        out += e.value;
    return out;
}

QByteArray written(const QList<CardPerson> &persons, VcardWriter::Version version)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!VcardWriter::write(buffer, persons, version))
        return {};
    return bytes;
}

const char *const kVobjectScript = R"py(
import json, sys, vobject
out = []
with open(sys.argv[1], encoding='utf-8', newline='') as f:
    for c in vobject.readComponents(f.read()):
        n = c.n.value
        out.append({
            'version': c.version.value, 'uid': c.uid.value, 'fn': c.fn.value,
            'family': n.family, 'given': n.given,
            'bday': c.bday.value if hasattr(c, 'bday') else '',
            'note': c.note.value if hasattr(c, 'note') else '',
            'street': c.adr.value.street if hasattr(c, 'adr') else '',
            'tel': [t.value for t in c.contents.get('tel', [])],
            'email': [e.value for e in c.contents.get('email', [])],
        })
print(json.dumps(out))
)py";

} // namespace

class TestVcardWriter : public QObject {
    Q_OBJECT

    test::TestEnv m_env;

private slots:
    void initTestCase() { qRegisterMetaType<VcardWriter::Version>(); }

    void roundTrip_data()
    {
        QTest::addColumn<VcardWriter::Version>("version");
        QTest::newRow("3.0") << VcardWriter::Version::V30;
        QTest::newRow("4.0") << VcardWriter::Version::V40;
    }
    // The hard cases and random persons of any characters come back from
    // their vCards as they were, nothing in the note (the reader's only
    // changes: no number, blanks around texts dropped as the book drops them).
    void roundTrip()
    {
        QFETCH(VcardWriter::Version, version);
        const QStringList pool = {"a", "Z",  "7", " ",  ",",      ";",     ":",  "\\", "\"",
                                  "'", "\n", "=", "é",  "Ж",      "中",    "😀",  "^",  ".",
                                  "-", "(",  ")", "\t", "item1.", "TYPE=", "\\n"};
        QRandomGenerator random(17);
        auto text = [&](int most) {
            QString t;
            const int n = int(random.bounded(most + 1));
            for (int i = 0; i < n; ++i)
                t += pool.at(int(random.bounded(int(pool.size()))));
            return t;
        };
        QList<CardPerson> persons = withoutNumbers(test::hardCasePersons());
        for (int i = 0; i < 400; ++i) {
            CardPerson p;
            p.firstName = trimBlanks(text(8));
            p.lastName = trimBlanks(QStringLiteral("x") + text(8));
            if (random.bounded(2))
                p.dateOfBirth = QDate(1900, 1, 1).addDays(random.bounded(50000));
            p.address = trimBlanks(text(30));
            p.note = trimBlanks(text(60));
            for (int k = int(random.bounded(4)); k > 0; --k) {
                const QString value = text(10).trimmed();
                if (!value.isEmpty())
                    p.phones.append({value, text(8).trimmed()});
            }
            for (int k = int(random.bounded(3)); k > 0; --k) {
                const QString value = text(12).trimmed();
                if (!value.isEmpty())
                    p.emails.append({value, k == 1 ? QStringLiteral("home, work") : text(8).trimmed()});
            }
            persons += p;
        }
        const VcardReadResult r = VcardReader::read(written(persons, version));
        QCOMPARE(r.problems.size(), 0);
        QCOMPARE(r.fieldsInNote, 0);
        QCOMPARE(r.persons.size(), persons.size());
        for (qsizetype i = 0; i < persons.size(); ++i)
            QCOMPARE(r.persons.at(i), persons.at(i));
    }

    // Lines of at most 75 octets without their CR LF, continuations start with
    // a blank, no UTF-8 sequence cut, every line ended by CR LF.
    void foldsLines()
    {
        const QByteArray bytes = written(test::hardCasePersons(), VcardWriter::Version::V30);
        QVERIFY(bytes.endsWith("\r\n"));
        QList<QByteArray> lines = bytes.split('\n');
        QVERIFY(lines.takeLast().isEmpty());
        int folded = 0;
        for (const QByteArray &l : lines) {
            QVERIFY2(l.endsWith('\r'), l.constData());
            const QByteArray line = l.chopped(1);
            QVERIFY2(line.size() <= 75 && !line.contains('\r'), line.constData());
            folded += line.startsWith(' ');
            QStringDecoder utf8(QStringDecoder::Utf8);
            (void)utf8(line);
            QVERIFY2(!utf8.hasError(), line.constData());
        }
        QVERIFY(folded > 50);
    }

    void escapesText()
    {
        CardPerson p;
        p.firstName = QStringLiteral("a,b;c\\d");
        p.lastName = QStringLiteral("L");
        p.note = QStringLiteral("x\r\ny\nz");
        const QByteArray bytes = VcardWriter::card(p, VcardWriter::Version::V30);
        QVERIFY2(bytes.contains("\r\nN:L;a\\,b\\;c\\\\d;;;\r\n"), bytes.constData());
        QVERIFY(bytes.contains("\r\nFN:a\\,b\\;c\\\\d L\r\n"));
        QVERIFY(bytes.contains("\r\nNOTE:x\\ny\\nz\r\n"));
    }

    // The UID follows the person's number and names, nothing else.
    void uidIsStable()
    {
        CardPerson p = test::hardCasePersons(1).first();
        const QString uid = PersonUid::vcard(p);
        QVERIFY(uid.startsWith(QStringLiteral("urn:uuid:")));
        CardPerson edited = p;
        edited.note = QStringLiteral("changed");
        edited.phones.clear();
        edited.dateOfBirth = QDate(2000, 1, 1);
        QCOMPARE(PersonUid::vcard(edited), uid);
        CardPerson renamed = p;
        renamed.lastName += u'x';
        QVERIFY(PersonUid::vcard(renamed) != uid);
        CardPerson renumbered = p;
        renumbered.contactnr = 99;
        QVERIFY(PersonUid::vcard(renumbered) != uid);
        QVERIFY(PersonUid::birthday(p) != uid);
    }

    // Debian's vobject reads what is written, with the same values.
    void vobjectReadsIt_data() { roundTrip_data(); }
    void vobjectReadsIt()
    {
        QFETCH(VcardWriter::Version, version);
        const QList<CardPerson> persons = test::hardCasePersons(30);
        const QString path = m_env.file(QStringLiteral("out.vcf"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(VcardWriter::write(file, persons, version));
        file.close();

        QJsonArray cards;
        VELMORA_RUN_PYTHON("vobject", kVobjectScript, path, cards);
        QCOMPARE(cards.size(), persons.size());
        const bool v30 = version == VcardWriter::Version::V30;
        for (qsizetype i = 0; i < persons.size(); ++i) {
            const CardPerson &p = persons.at(i);
            const QJsonObject c = cards.at(i).toObject();
            QCOMPARE(c.value("version").toString(), v30 ? QStringLiteral("3.0") : QStringLiteral("4.0"));
            QCOMPARE(c.value("uid").toString(), PersonUid::vcard(p));
            QCOMPARE(c.value("family").toString(), p.lastName);
            QCOMPARE(c.value("given").toString(), p.firstName);
            QCOMPARE(c.value("fn").toString(), p.firstName + u' ' + p.lastName);
            QCOMPARE(c.value("note").toString(), p.note);
            QCOMPARE(c.value("street").toString(), p.address);
            QCOMPARE(c.value("bday").toString(),
                     p.dateOfBirth.toString(v30 ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("yyyyMMdd")));
            QCOMPARE(c.value("tel").toVariant().toStringList(), values(p.phones));
            QCOMPARE(c.value("email").toVariant().toStringList(), values(p.emails));
        }
    }
};

QTEST_GUILESS_MAIN(TestVcardWriter)
#include "tst_vcardwriter.moc"
