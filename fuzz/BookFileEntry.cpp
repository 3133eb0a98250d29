#include "FuzzBook.h"
#include "FuzzEntries.h"
#include "FuzzInput.h"
#include "FuzzWorld.h"

#include "store/Database.h"

#include <QFile>
#include <array>

namespace velmora::fuzz {

namespace {

const QString kPassword = QStringLiteral("secret");

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The bytes of two small valid books with three persons, phones and e-mail
// addresses: plain, and protected by kPassword.
std::array<QByteArray, 2> makeTemplates()
{
    const QString plain = FuzzWorld::instance().file(QStringLiteral("template.mdb"));
    const QString locked = FuzzWorld::instance().file(QStringLiteral("template-locked.mdb"));
    {
        FuzzBook book;
        const QString error = book.create(
            plain,
            {QStringLiteral("INSERT INTO Person VALUES(1, 'Ann', 'Smith', #12/31/1970#, 'Main Street 1', "
                            "'www.example.com')"),
             QStringLiteral("INSERT INTO Person VALUES(2, 'Émile', 'Dubois', Null, '', '')"),
             QStringLiteral("INSERT INTO Person VALUES(3, 'Bob', 'Baker', #2/29/2000#, 'x', 'y')"),
             QStringLiteral("INSERT INTO Phone VALUES(1, 1, '0471 12', 'home')"),
             QStringLiteral("INSERT INTO Phone VALUES(1, 2, '+32 2', '')"),
             QStringLiteral("INSERT INTO Email VALUES(1, 1, 'ann@example.com', 'work')"),
             QStringLiteral("INSERT INTO Email VALUES(3, 1, 'bob@example.org', '')")});
        if (!error.isEmpty())
            qFatal("%s", qPrintable(error));
    }
    QFile::remove(locked);
    if (const DbError e = compactInto(plain, QString(), locked, kPassword))
        qFatal("%s", qPrintable(e.description));
    return {readAll(plain), readAll(locked)};
}

const QByteArray &templateBook(bool locked)
{
    static const std::array<QByteArray, 2> books = makeTemplates();
    return books[locked ? 1 : 0];
}

// Reads every row of every table; errors are expected on a damaged file.
void readEverything(const QString &path, const QString &password)
{
    Connection c;
    if (c.open(path, password))
        return;
    for (const char *table : {"Person", "Phone", "Email"}) {
        Recordset rs;
        openRecordset(c, QStringLiteral("SELECT * FROM %1 ORDER BY 2, 1").arg(QLatin1String(table)), rs);
        for (; !rs.eof(); rs.moveNext()) {
            for (const Recordset::Column &column : rs.columns())
                rs.text(column.name);
        }
        int count = 0;
        catalog::columnCount(c, QString::fromLatin1(table), count);
    }
    c.close();
}

} // namespace

QString bookFileEntry(QByteArrayView data)
{
    FuzzInput in(data);
    const unsigned char how = in.byte();
    const bool locked = how & 1;
    const bool givePassword = how & 2;
    QByteArray bytes = templateBook(locked);

    // Up to eight damages: a byte flipped, a byte set, sixteen bytes zeroed,
    // the file cut short.
    for (int i = 0; i < 8 && !in.atEnd() && !bytes.isEmpty(); ++i) {
        const int kind = in.below(4);
        const qsizetype at = (qsizetype(in.byte()) << 8 | in.byte()) % bytes.size();
        const unsigned char value = in.byte();
        switch (kind) {
        case 0:
            bytes[at] = char(bytes[at] ^ (value ? value : 1));
            break;
        case 1:
            bytes[at] = char(value);
            break;
        case 2:
            for (qsizetype k = at; k < qMin(bytes.size(), at + 16); ++k)
                bytes[k] = 0;
            break;
        default:
            bytes.truncate(at);
            break;
        }
    }

    const QString path = FuzzWorld::instance().file(QStringLiteral("damaged.mdb"));
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QStringLiteral("cannot write %1").arg(path);
    }

    RecordingPrompts &prompts = FuzzWorld::instance().prompts();
    prompts.clear();
    if (givePassword)
        prompts.queueText(kPassword);
    Database &database = Database::instance();
    const bool valid = database.isValidDatabase(path);
    bool cancelled = false;
    for (const RecordingPrompts::Shown &shown : prompts.shown())
        cancelled = cancelled || shown.kind == RecordingPrompts::Shown::Password;
    cancelled = cancelled && prompts.allRepliesUsed();
    if (!valid && prompts.messageCount() == 0 && !cancelled)
        return QStringLiteral("not valid, and nothing said");
    if (valid)
        readEverything(path, database.password());
    database.setPassword(QString());

    if (readAll(path) != bytes)
        return QStringLiteral("the file changed");
    return {};
}

} // namespace velmora::fuzz
