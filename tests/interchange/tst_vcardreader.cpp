#include "TestEnv.h"

#include "interchange/VcardReader.h"
#include "interchange/VcardWriter.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

using namespace velmora;

namespace {

QString entries(const QList<CardEntry> &list)
{
    QStringList out;
    for (const CardEntry &e : list)
        out += e.description.isEmpty() ? e.value : e.value + QStringLiteral(" (") + e.description + u')';
    return out.join(QStringLiteral("; "));
}

// A person in one line: first|last|date|address|note|phones|e-mails, line
// breaks shown as "/".
QString describe(const CardPerson &p)
{
    QString s = QStringList{p.firstName,      p.lastName, p.dateOfBirth.toString(Qt::ISODate),
                            p.address,        p.note,     entries(p.phones),
                            entries(p.emails)}
                    .join(u'|');
    s.replace(u'\n', u'/');
    return s;
}

QByteArray card(const QByteArray &body, const QByteArray &version = "3.0")
{
    return "BEGIN:VCARD\r\nVERSION:" + version + "\r\n" + body + "END:VCARD\r\n";
}

QByteArray sample(const char *name)
{
    QFile f(QStringLiteral(VELMORA_SOURCE_DIR "/tests/interchange/samples/") + QLatin1String(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestVcardReader : public QObject {
    Q_OBJECT

    test::TestEnv m_env;

private slots:
    // One card each: the forms writers use for the same fields.
    void readsOneCard_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        const QString plain = QStringLiteral("Anne|Smith||||");

        QTest::newRow("LF only, no CR")
            << QByteArray("BEGIN:VCARD\nVERSION:3.0\nN:Smith;Anne;;;\nEND:VCARD\n") << plain + u'|';
        QTest::newRow("byte-order mark") << "\xEF\xBB\xBF" + card("N:Smith;Anne;;;\r\n") << plain + u'|';
        QTest::newRow("folded with a blank and a tab")
            << card("N:Smi\r\n th;An\r\n\tne;;;\r\nNOTE:one \r\n two\r\n") << "Anne|Smith|||one two||";
        QTest::newRow("2.1 folding keeps the blank")
            << card("N:Smith;Anne\r\nNOTE:one\r\n two\r\n", "2.1") << "Anne|Smith|||one two||";
        QTest::newRow("escapes") << card("N:O\\;Neil;A\\,B\\\\C;;;\r\nNOTE:a\\nb\\Nc\\,d\\;e\\\\f\\x\r\n")
                                 << "A,B\\C|O;Neil|||a/b/c,d;e\\f\\x||";
        QTest::newRow("N parts: prefixes, additional names and suffixes go with the first name")
            << card("N:Adams;John;Quincy,Q.;Dr.;Jr.\r\n") << "Dr. John Quincy Q. Jr.|Adams|||||";
        QTest::newRow("FN when N is empty")
            << card("N:;;;;\r\nFN:Mary Ann Jones\r\n") << "Mary Ann|Jones|||||";
        QTest::newRow("FN without N, one word") << card("FN:Mum\r\n") << "|Mum|||||";
        QTest::newRow("organization when there is no name")
            << card("ORG:ACME Ltd;Sales\r\n") << "|ACME Ltd, Sales|||Organization: ACME Ltd, Sales||";
        QTest::newRow("e-mail address when nothing else names the card")
            << card("EMAIL:x@example.org\r\n") << "|x@example.org|||||x@example.org";

        QTest::newRow("BDAY extended") << card("N:S;A\r\nBDAY:1970-12-31\r\n") << "A|S|1970-12-31||||";
        QTest::newRow("BDAY basic") << card("N:S;A\r\nBDAY:19701231\r\n") << "A|S|1970-12-31||||";
        QTest::newRow("BDAY value=date")
            << card("N:S;A\r\nBDAY;VALUE=date:1970-12-31\r\n") << "A|S|1970-12-31||||";
        QTest::newRow("BDAY with a time and zone")
            << card("N:S;A\r\nBDAY:1970-12-31T23:30:00-05:00\r\n") << "A|S|1970-12-31||||";
        QTest::newRow("BDAY basic with time")
            << card("N:S;A\r\nBDAY:19701231T000000Z\r\n") << "A|S|1970-12-31||||";
        QTest::newRow("BDAY with a stray semicolon")
            << card("N:S;A\r\nBDAY:1970-12-31;\r\n") << "A|S|1970-12-31||||";
        QTest::newRow("BDAY 29 February") << card("N:S;A\r\nBDAY:2000-02-29\r\n") << "A|S|2000-02-29||||";
        QTest::newRow("BDAY without a year goes to the note")
            << card("N:S;A\r\nBDAY:--0314\r\n") << "A|S|||Birthday: --0314||";
        QTest::newRow("BDAY that is no date")
            << card("N:S;A\r\nBDAY:2001-02-29\r\n") << "A|S|||Birthday: 2001-02-29||";
        QTest::newRow("BDAY as text (4.0)")
            << card("N:S;A\r\nBDAY;VALUE=text:circa 1800\r\n", "4.0") << "A|S|||Birthday: circa 1800||";

        QTest::newRow("ADR lines, postal code before the place")
            << card("N:S;A\r\nADR;TYPE=home:PO 1;Flat 2;Main St 3\\nBack door;Springfield;IL;62701;USA\r\n")
            << "A|S||PO 1/Flat 2/Main St 3/Back door/62701 Springfield/IL/USA|||";
        QTest::newRow("second ADR in the note, preferred one first")
            << card("N:S;A\r\nADR;TYPE=work:;;Work 1;Town;;;\r\nADR;TYPE=home,pref:;;Home 2;;;;\r\n")
            << "A|S||Home 2|Address (work): Work 1, Town||";
        QTest::newRow("LABEL without ADR")
            << card("N:S;A\r\nLABEL:Line 1\\nLine 2\r\n") << "A|S||Line 1/Line 2|||";

        QTest::newRow("TEL types as description, preferred first")
            << card("N:S;A\r\nTEL;TYPE=home:1\r\nTEL;TYPE=cell,voice:2\r\nTEL;TYPE=WORK;TYPE=pref:3\r\n"
                    "TEL:4\r\n")
            << "A|S||||3 (work); 1 (home); 2 (cell); 4|";
        QTest::newRow("PREF numbers of 4.0")
            << card("N:S;A\r\nEMAIL;PREF=50:a@x\r\nEMAIL:b@x\r\nEMAIL;PREF=1:c@x\r\n", "4.0")
            << "A|S|||||c@x; a@x; b@x";
        QTest::newRow("2.1 bare parameters")
            << card("N:S;A\r\nTEL;CELL;HOME:1\r\nEMAIL;INTERNET;PREF:a@x\r\n", "2.1")
            << "A|S||||1 (cell, home)|a@x";
        QTest::newRow("group label of the entry")
            << card("N:S;A\r\nitem1.TEL:1\r\nitem1.X-ABLabel:Grandma's (old)\r\nitem2.TEL:2\r\n"
                    "item2.X-ABLabel:_$!<Mobile>!$_\r\n")
            << "A|S||||1 (Grandma's (old)); 2 (mobile)|";
        QTest::newRow("tel: and mailto: links")
            << card("N:S;A\r\nTEL;VALUE=uri:tel:+1-555\r\nEMAIL:mailto:a@x\r\n") << "A|S||||+1-555|a@x";

        QTest::newRow("fields without a place go to the note")
            << card("N:S;A\r\nNOTE:Hi\r\nORG:Co\r\nTITLE:Boss\r\nNICKNAME:Annie\r\nURL:https://x.example\r\n"
                    "ANNIVERSARY:20050521\r\nX-ANNIVERSARY:2005-05-21\r\nIMPP:xmpp:a@x\r\nX-SKYPE:anne.s\r\n")
            << "A|S|||Hi/Organization: Co/Title: Boss/Nickname: Annie/Website: https://x.example/"
               "Anniversary: 20050521/Anniversary: 2005-05-21/Instant messaging: xmpp:a@x/X-SKYPE: anne.s||";
        QTest::newRow("values longer than their field")
            << card("N:S;" + QByteArray(51, 'a') + "\r\nTEL:" + QByteArray(51, '1') +
                    "\r\nEMAIL;TYPE=" + QByteArray(101, 'd') + ":e@x\r\n")
            << QString(50, u'a') + "|S|||Name: " + QString(51, u'a') + " S/Phone: " + QString(51, u'1') +
                   "/E-mail (" + QString(101, u'd') + "): e@x||";
        QTest::newRow("photos left out, photo links kept")
            << card("N:S;A\r\nPHOTO;ENCODING=b;TYPE=JPEG:AAAA\r\nLOGO:data:image/png;base64,AAAA\r\n"
                    "PHOTO;VALUE=uri:https://x.example/a.jpg\r\n")
            << "A|S|||Photo: https://x.example/a.jpg||";

        QTest::newRow("2.1 quoted-printable with soft line breaks")
            << card("N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=\r\n=C3=BCrgen\r\n"
                    "NOTE;ENCODING=QUOTED-PRINTABLE:a=0D=0Ab=3D=\r\nc\r\n",
                    "2.1")
            << "Jürgen|Müller|||a/b=c||";
        QTest::newRow("2.1 charsets")
            << card("N;CHARSET=ISO-8859-1:K\xF6nig;Ren\xE9\r\nNOTE;CHARSET=Windows-1252:\x80 \x93q\x94\r\n",
                    "2.1")
            << "René|König|||€ “q”||";
        QTest::newRow("Windows-1252 bytes without a charset")
            << card("N:K\xF6nig;\x8A\r\n", "2.1") << "Š|König|||||";
        QTest::newRow("2.1 base64 block without indentation")
            << card("N:S;A\r\nPHOTO;ENCODING=BASE64;TYPE=JPEG:AAAA\r\nBBBB\r\nCC==\r\n\r\nNOTE:after\r\n",
                    "2.1")
            << "A|S|||after||";
        QTest::newRow("agent card inside a card is passed over")
            << card("N:S;A\r\nAGENT:\r\nBEGIN:VCARD\r\nVERSION:2.1\r\nN:Agent;Bob\r\nEND:VCARD\r\nNOTE:n\r\n",
                    "2.1")
            << "A|S|||n||";
        QTest::newRow("quoted parameter with a colon")
            << card("N:S;A\r\nTEL;TYPE=\"x:y\":1\r\n") << "A|S||||1 (x:y)|";
        QTest::newRow("every line break as one LF, a lone CR too")
            << card("N:S;A\r\nTEL;HO\rME:1\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=0Db=0D=0Ac\r\n", "2.1")
            << "A|S|||a/b/c|1 (ho/me)|";
        QTest::newRow("name cut at a blank loses the blank")
            << card("N:S;" + QByteArray(49, 'a') + " b\r\n")
            << QString(49, u'a') + "|S|||Name: " + QString(49, u'a') + " b S||";
    }
    void readsOneCard()
    {
        QFETCH(QByteArray, bytes);
        const VcardReadResult r = VcardReader::read(bytes);
        QVERIFY(r.isVcard);
        QCOMPARE(r.problems.size(), 0);
        QCOMPARE(r.persons.size(), 1);
        QTEST(describe(r.persons.first()), "expected");
        // What was read comes back unchanged from its own card.
        for (const auto version : {VcardWriter::Version::V30, VcardWriter::Version::V40}) {
            const VcardReadResult back = VcardReader::read(VcardWriter::card(r.persons.first(), version));
            QCOMPARE(back.persons.size(), 1);
            QCOMPARE(describe(back.persons.first()), describe(r.persons.first()));
            QVERIFY(back.persons.first() == r.persons.first());
        }
    }

    void countsWhatDidNotFit()
    {
        const VcardReadResult r = VcardReader::read(
            card("N:S;A\r\nORG:Co\r\nPHOTO;ENCODING=b:AAAA\r\n") +
            card("N:T;B\r\nTITLE:x\r\nURL:y\r\nKEY;ENCODING=b:AAAA\r\nSOUND;ENCODING=b:AA\r\n"));
        QCOMPARE(r.persons.size(), 2);
        QCOMPARE(r.fieldsInNote, 3);
        QCOMPARE(r.binaryLeftOut, 3);
        QCOMPARE(r.lines, (QList<int>{1, 7}));
    }

    // Cards that cannot be read are named with their line; the good ones
    // around them are kept.
    void reportsBadCards_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("persons");
        QTest::addColumn<QList<int>>("problemLines");
        QTest::newRow("truncated last card") << card("N:A;B\r\n") + "BEGIN:VCARD\r\nVERSION:3.0\r\nN:C;D\r\n"
                                             << 1 << QList<int>{5};
        QTest::newRow("card cut short by the next one")
            << "BEGIN:VCARD\r\nN:A;B\r\n" + card("N:C;D\r\n") << 1 << QList<int>{1};
        QTest::newRow("line without a colon")
            << card("N:A;B\r\n") + card("N:C;D\r\ngarbage here\r\n") << 1 << QList<int>{8};
        QTest::newRow("binary junk inside a card")
            << card(QByteArray("N:A;B\r\n\x00\x01\xFF\xFE:\x80\r\n", 15)) << 0 << QList<int>{4};
        QTest::newRow("card without any name") << card("NOTE:only a note\r\n") << 0 << QList<int>{1};
    }
    void reportsBadCards()
    {
        QFETCH(QByteArray, bytes);
        const VcardReadResult r = VcardReader::read(bytes);
        QVERIFY(r.isVcard);
        QTEST(int(r.persons.size()), "persons");
        QList<int> lines;
        for (const VcardProblem &p : r.problems) {
            QVERIFY(!p.reason.isEmpty());
            lines += p.line;
        }
        QTEST(lines, "problemLines");
    }

    void notAVcard_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("Name: Anne\nPhone: 123\n");
        QTest::newRow("calendar") << QByteArray("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nEND:VCALENDAR\r\n");
        QByteArray junk(1 << 20, '\0');
        for (int i = 0; i < junk.size(); ++i)
            junk[i] = char((i * 2654435761u) >> 13);
        QTest::newRow("binary junk") << junk;
    }
    void notAVcard()
    {
        QFETCH(QByteArray, bytes);
        const VcardReadResult r = VcardReader::read(bytes);
        QVERIFY(!r.isVcard);
        QVERIFY(r.persons.isEmpty());
    }

    // Files as phones and address book programs write them.
    void readsSamples_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("Android 2.1")
            << QByteArray("android-2.1.vcf")
            << QStringList{
                   "Jürgen|Müller|1970-12-31|Hauptstraße 5/10115 Berlin/Deutschland|Erste Zeile/zweite "
                   "Zeile mit einem sehr langen Text, der weich umbrochen wird und weitergeht./Nickname: "
                   "Jockel|+49 170 1234567 (cell); 030 123456 (home); 030 654321 (work, fax)|"
                   "juergen@example.de (home)",
                   "Pizza Roma|||||+49 30 999 (work)|"};
        QTest::newRow("iPhone 3.0")
            << QByteArray("iphone-3.0.vcf")
            << QStringList{"Dr. Johnny Q. Jr.|Appleseed||1 Infinite Loop/95014 Cupertino/CA/United States|"
                           "Organization: Apple Orchards, Sales/Title: Grower/Website (homepage): "
                           "https://orchard.example/Birthday: --03-14/X-ABDATE (anniversary): 2001-06-09|"
                           "+1 (555) 010-0001 (mobile); +1 (555) 010-0002 (Oma, Opa); +1 555 010 0003 (work)|"
                           "j.appleseed@work.example (work); johnny@example.com (home)"};
        QTest::newRow("Google 3.0, LF and BOM")
            << QByteArray("google-3.0.vcf")
            << QStringList{
                   "Ana María|Pérez||Calle Mayor 1, 2º/28013 Madrid/España|Conocida en Sevilla/Le gusta el "
                   "café, mucho/Organization: Librería; Papelería/Birthday: 1985-02-29/Categories: "
                   "myContacts,Amigos|+34 600 000 000 (cell)|ana@example.es (home); ana.perez@example.org"};
        QTest::newRow("Outlook 2.1, Windows-1252")
            << QByteArray("outlook-2.1.vcf")
            << QStringList{
                   "Françoise|Krämer|1970-12-31|Domstraße 1/50668 Köln/Deutschland|Termin „Frühstück“ € "
                   "5/zweite Zeile/Organization: Büro € GmbH|0221 12345 (work); 0171 55555 (cell)|"
                   "f.kraemer@example.de"};
        QTest::newRow("Thunderbird 4.0")
            << QByteArray("thunderbird-4.0.vcf")
            << QStringList{"Анна|Ivanova|1979-07-04||Anniversary: 20050521/Nickname: Аня/Instant messaging: "
                           "xmpp:anna@jabber.example|+7-495-555-0101 (home); +7 916 555 0102 (cell)|"
                           "a.ivanova@work.example (work); anna@example.ru"};
    }
    void readsSamples()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, expected);
        const VcardReadResult r = VcardReader::read(sample(file.constData()));
        QCOMPARE(r.problems.size(), 0);
        QStringList got;
        for (const CardPerson &p : r.persons)
            got += describe(p);
        QCOMPARE(got, expected);
    }

    // Damaged copies of the samples (bytes changed, cut out, repeated, line
    // breaks and soft breaks put in, cut short) are read without a crash,
    // every problem has a line inside the file.
    void survivesDamage()
    {
        QRandomGenerator random(20261207);
        for (const char *name : {"android-2.1.vcf", "iphone-3.0.vcf", "google-3.0.vcf", "outlook-2.1.vcf",
                                 "thunderbird-4.0.vcf"}) {
            const QByteArray original = sample(name);
            QVERIFY(!original.isEmpty());
            for (int round = 0; round < 400; ++round) {
                QByteArray bytes = original;
                for (int k = 0; k < 1 + round % 4; ++k) {
                    const int at = int(random.bounded(qMax(1, int(bytes.size()))));
                    const int length = int(random.bounded(1, 40));
                    switch (random.bounded(6)) {
                    case 0:
                        bytes[qMin(at, int(bytes.size()) - 1)] = char(random.bounded(256));
                        break;
                    case 1:
                        bytes.remove(at, length);
                        break;
                    case 2:
                        bytes.insert(at, bytes.mid(at, length));
                        break;
                    case 3:
                        bytes.insert(at, random.bounded(2) ? "\r\n " : "=\r\n");
                        break;
                    case 4:
                        bytes.insert(at, random.bounded(2) ? "\r\nBEGIN:VCARD\r\n" : "\r\nEND:VCARD\r\n");
                        break;
                    default:
                        bytes.truncate(at);
                    }
                }
                const VcardReadResult r = VcardReader::read(bytes);
                const int lines = int(bytes.count('\n')) + 1;
                for (const VcardProblem &p : r.problems)
                    QVERIFY(p.line >= 1 && p.line <= lines);
                for (int line : r.lines)
                    QVERIFY(line >= 1 && line <= lines);
            }
        }
    }

    // The whole input is read; a device larger than the limit is refused
    // with a message.
    void readsDevices()
    {
        QByteArray bytes;
        for (int i = 0; i < 3000; ++i)
            bytes += card("N:P" + QByteArray::number(i) + ";A\r\n");
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        VcardReadResult r;
        QString error;
        QVERIFY(VcardReader::read(buffer, r, error));
        QCOMPARE(r.persons.size(), 3000);

        VcardReadResult missing;
        QVERIFY(!VcardReader::readFile(m_env.file(QStringLiteral("none.vcf")), missing, error));
        QVERIFY(error.contains(QStringLiteral("none.vcf")));
    }
};

QTEST_GUILESS_MAIN(TestVcardReader)
#include "tst_vcardreader.moc"
