#pragma once

#include "app/SafeFile.h"
#include "interchange/VcardWriter.h"

#include <QList>
#include <QString>

namespace velmora {

// The vCard export of a selection: the chosen persons of the open book, in
// the order chosen, as one file of cards (beside its target first, then
// renamed into place).
// The details a vCard export writes besides the name (a card always has its
// name).
struct VcardFields {
    bool dateOfBirth = true;
    bool address = true;
    bool phones = true;
    bool phoneDescriptions = true;
    bool emails = true;
    bool emailDescriptions = true;
    bool note = true;
};

class VcardExport {
public:
    static FileResult exportPersons(const QList<int> &contactnrs, VcardWriter::Version version,
                                    const QString &path, const VcardFields &fields = VcardFields());
    // The file name a saved export is proposed under: "Velmora" and the date
    // (yyyymmdd) with ".vcf".
    static QString proposedFileName(const QDate &today);
};

} // namespace velmora
