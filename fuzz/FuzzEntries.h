#pragma once

#include <QByteArrayView>
#include <QString>
#include <vector>

namespace velmora::fuzz {

// One fuzz entry: reads one input the way the program reads what a user, a
// file or the network hands it, and checks the properties that must hold for
// every input. Returns the empty text when they all held, else what went
// wrong. Crashes and sanitizer reports speak for themselves.
using Entry = QString (*)(QByteArrayView data);

struct Target {
    const char *name; // the target fuzz_<name>, the folders corpus/<name> and regressions/<name>
    Entry entry;
};

// Every target, in the order scripts/fuzz.sh runs them.
const std::vector<Target> &targets();
Entry entryNamed(const QString &name);

// The statement translator and the quoting of texts on a real connection.
QString sqlEntry(QByteArrayView data);
// The advanced search on a small generated book, against a plain reference.
QString searchEntry(QByteArrayView data);
// Typed dates of birth in every date format.
QString datesEntry(QByteArrayView data);
// Link words in notes.
QString noteLinksEntry(QByteArrayView data);
// The INI reader of language files and the old settings file.
QString iniEntry(QByteArrayView data);
// Opening a damaged book file.
QString bookFileEntry(QByteArrayView data);
// The version server's answer.
QString versionEntry(QByteArrayView data);
// A vCard file, and the round trip of what it held through the writer.
QString vcardEntry(QByteArrayView data);
// A CardDAV server's multistatus answer (and a sync REPORT's error), and
// the same values written back and read again.
QString davXmlEntry(QByteArrayView data);

} // namespace velmora::fuzz
