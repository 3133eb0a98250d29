#include "interchange/VcardImport.h"

#include "app/ErrorLog.h"
#include "app/PersonKey.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "editor/DateOfBirth.h"
#include "editor/PersonStore.h"
#include "settings/Translate.h"
#include "store/Sql.h"
#include "store/Transaction.h"

#include <QSet>
#include <vector>

namespace velmora {

namespace {

constexpr int kLargestNumber = 32767;

QString duplicateKey(const QString &first, const QString &last, const QDate &date)
{
    return trimBlanks(first).toCaseFolded() + QChar(0x1F) + trimBlanks(last).toCaseFolded() + QChar(0x1F) +
           (date.isValid() ? date.toString(Qt::ISODate) : QString());
}

ListEntry listEntry(const CardEntry &entry)
{
    const QString value = trimBlanks(entry.value);
    return {PersonStore::itemText(value, entry.description), value};
}

} // namespace

PersonDraft VcardImport::draftOf(const CardPerson &p)
{
    PersonDraft draft;
    draft.firstName = p.firstName;
    draft.lastName = p.lastName;
    draft.dateOfBirth = DateOfBirth::sqlLiteral(p.dateOfBirth);
    draft.address = p.address;
    draft.note = p.note;
    draft.phones.reserve(p.phones.size());
    for (const CardEntry &e : p.phones)
        draft.phones += listEntry(e);
    draft.emails.reserve(p.emails.size());
    for (const CardEntry &e : p.emails)
        draft.emails += listEntry(e);
    return draft;
}

bool VcardImport::load(const QString &path, QString &errorText)
{
    VcardReadResult read;
    if (!VcardReader::readFile(path, read, errorText))
        return false;
    m_name = path;
    m_read = std::move(read);
    if (!m_read.isVcard) {
        errorText = T("This file holds no vCards:") + QStringLiteral("\n") + path;
        return false;
    }
    if (DbError e = lookAtBook()) {
        errorText = T("The book cannot be read:") + QStringLiteral("\n") + e.description;
        return false;
    }
    return true;
}

bool VcardImport::load(QByteArrayView bytes, const QString &name, QString &errorText)
{
    m_name = name;
    m_read = VcardReader::read(bytes);
    if (!m_read.isVcard) {
        errorText = T("This file holds no vCards:") + QStringLiteral("\n") + name;
        return false;
    }
    if (DbError e = lookAtBook()) {
        errorText = T("The book cannot be read:") + QStringLiteral("\n") + e.description;
        return false;
    }
    return true;
}

DbError VcardImport::lookAtBook()
{
    m_added = m_skipped = m_noNumber = 0;
    QSet<QString> known;
    std::vector<bool> used(kLargestNumber + 1, false);
    DbError e = forEachRow(
        QStringLiteral("SELECT Contactnr, Firstname, Lastname, Dateofbirth FROM Person "),
        [&](const RowView &row) {
            const qint64 nr = row.integer(0);
            if (nr >= 1 && nr <= kLargestNumber)
                used[size_t(nr)] = true;
            QDate date;
            if (!row.isNull(3))
                date = QDate::fromString(
                    QString::fromLatin1(row.utf8(3).first(qMin<qsizetype>(10, row.utf8(3).size()))),
                    Qt::ISODate);
            known.insert(duplicateKey(QString::fromUtf8(row.utf8(1)), QString::fromUtf8(row.utf8(2)), date));
            return true;
        });
    if (e)
        return e;
    m_free.clear();
    for (int nr = 1; nr <= kLargestNumber; ++nr) {
        if (!used[size_t(nr)])
            m_free += nr;
    }
    m_duplicate.clear();
    m_duplicate.reserve(m_read.persons.size());
    for (const CardPerson &p : std::as_const(m_read.persons)) {
        const QString key = duplicateKey(p.firstName, p.lastName, p.dateOfBirth);
        m_duplicate += known.contains(key);
        known.insert(key);
    }
    return {};
}

QList<qsizetype> VcardImport::chosen(bool importDuplicates) const
{
    QList<qsizetype> out;
    out.reserve(m_read.persons.size());
    for (qsizetype i = 0; i < m_read.persons.size(); ++i) {
        if (importDuplicates || !m_duplicate.value(i))
            out += i;
    }
    return out;
}

int VcardImport::newPersons(bool importDuplicates) const
{
    return int(chosen(importDuplicates).size());
}

DbError VcardImport::writePersons(bool importDuplicates, int count, const ProgressCallback &progress)
{
    m_added = 0;
    const QList<qsizetype> persons = chosen(importDuplicates);
    m_skipped = int(m_read.persons.size() - persons.size());
    count = qMin(count, int(qMin(persons.size(), m_free.size())));
    m_noNumber = int(persons.size()) - count;

    Transaction transaction;
    if (DbError e = transaction.begin())
        return e;
    for (int i = 0; i < count; ++i) {
        if (DbError e = PersonStore::insertPerson(m_free.at(i), draftOf(m_read.persons.at(persons.at(i)))))
            return e;
        if (i % 256 == 0)
            reportProgress(progress, i, count);
    }
    if (DbError e = transaction.commit())
        return e;
    reportProgress(progress, count, count);
    m_added = count;
    m_free.remove(0, count);
    return {};
}

VcardImport::Outcome VcardImport::write(bool importDuplicates, const ProgressCallback &progress)
{
    const int wanted = newPersons(importDuplicates);
    int count = wanted;
    if (wanted > freeNumbers()) {
        m_added = 0;
        if (freeNumbers() == 0) {
            prompts().message(T("The book is full: all numbers from 1 to 32767 are in use."),
                              T("Import vCard"), Icon::Exclamation);
            return Outcome::Declined;
        }
        const QString question =
            T("The book has room for %1 more persons, but the file holds %2 new persons.")
                .arg(freeNumbers())
                .arg(wanted) +
            QStringLiteral("\n\n") + T("Import the first %1 persons of the file?").arg(freeNumbers());
        if (prompts().message(question, T("Import vCard"), Icon::Question, Buttons::YesNo) != Answer::Yes)
            return Outcome::Declined;
        count = freeNumbers();
    }
    if (DbError e = writePersons(importDuplicates, count, progress)) {
        m_added = 0;
        writeLog(QStringLiteral("Error importing vCards: ") + QString::number(e.number) +
                 QStringLiteral(": ") + e.description);
        prompts().message(T("The vCards could not be imported; the book is unchanged:") +
                              QStringLiteral("\n") + e.description,
                          T("Error"), Icon::Exclamation);
        return Outcome::Failed;
    }
    return m_added > 0 ? Outcome::Written : Outcome::NothingNew;
}

QString VcardImport::summary() const
{
    QStringList lines;
    lines += T("Persons added: %1").arg(m_added);
    lines += T("Duplicates skipped: %1").arg(m_skipped);
    if (m_noNumber > 0)
        lines += T("Persons left out for lack of free numbers: %1").arg(m_noNumber);
    lines += T("Fields kept in notes: %1").arg(m_read.fieldsInNote);
    lines += T("Photos and other binary values left out: %1").arg(m_read.binaryLeftOut);
    lines += T("Cards that could not be read: %1").arg(m_read.problems.size());
    constexpr int kListed = 20;
    for (qsizetype i = 0; i < m_read.problems.size() && i < kListed; ++i) {
        const VcardProblem &p = m_read.problems.at(i);
        lines += QStringLiteral("  ") + T("Line %1: %2").arg(p.line).arg(p.reason);
    }
    if (m_read.problems.size() > kListed)
        lines += QStringLiteral("  ...");
    return lines.join(u'\n');
}

} // namespace velmora
