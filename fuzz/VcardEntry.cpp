#include "FuzzEntries.h"
#include "FuzzWorld.h"

#include "interchange/VcardReader.h"
#include "interchange/VcardWriter.h"

namespace velmora::fuzz {

// Whatever a file holds: reading never fails, every reported line lies in
// the file, and every person read comes back from its own vCard unchanged,
// in both versions the program writes.
QString vcardEntry(QByteArrayView data)
{
    // Labels of fields kept in the note are translated: the seams must stand.
    FuzzWorld::instance();
    const VcardReadResult read = VcardReader::read(data);
    const qsizetype lineCount = data.count('\n') + data.count('\r') + 1;
    for (const VcardProblem &problem : read.problems) {
        if (problem.line < 1 || problem.line > lineCount)
            return QStringLiteral("problem at line %1 of %2").arg(problem.line).arg(lineCount);
    }
    if (read.lines.size() != read.persons.size())
        return QStringLiteral("%1 persons, %2 lines").arg(read.persons.size()).arg(read.lines.size());
    for (const CardPerson &person : read.persons) {
        for (const VcardWriter::Version version : {VcardWriter::Version::V30, VcardWriter::Version::V40}) {
            const VcardReadResult back = VcardReader::read(VcardWriter::card(person, version));
            if (back.persons.size() != 1)
                return QStringLiteral("a written card read back as %1 persons").arg(back.persons.size());
            if (!(back.persons.first() == person))
                return QStringLiteral("\"%1 %2\" changed on its way through its own vCard")
                    .arg(person.firstName, person.lastName);
        }
    }
    return {};
}

} // namespace velmora::fuzz
