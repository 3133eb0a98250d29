#pragma once

#include "app/SafeFile.h"
#include "interchange/VcardWriter.h"

#include <QList>
#include <QString>

namespace velmora {

// The vCard export of a selection: the chosen persons of the open book, in
// the order chosen, as one file of cards (beside its target first, then
// renamed into place).
class VcardExport {
public:
    static FileResult exportPersons(const QList<int> &contactnrs, VcardWriter::Version version,
                                    const QString &path);
    // The file name a saved export is proposed under: "Velmora" and the date
    // (yyyymmdd) with ".vcf".
    static QString proposedFileName(const QDate &today);
};

} // namespace velmora
