#pragma once

#include "interchange/VcardProperty.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <functional>

namespace velmora {

// A card of a file that cannot be taken over, with the line where it starts
// (or where reading failed) and why.
struct VcardProblem {
    int line = 0;
    QString reason;

    bool operator==(const VcardProblem &other) const = default;
};

// Splits the bytes of a vCard file into cards of content lines: line folding
// (CR LF or LF, then a blank or a tab), quoted-printable soft line breaks,
// base64 blocks of 2.1 that run on without indentation, a byte-order mark,
// UTF-16 files, parameters in the bare 2.1 form and the NAME=VALUE form,
// quoted parameter values. Never fails: what cannot be read becomes a
// problem with its line number.
class VcardLexer {
public:
    // Cards kept from one file at most; the rest are reported as one problem
    // (a book holds 32,767 persons).
    static constexpr int kMaxCards = 100000;

    struct Result {
        QList<VcardCard> cards; // empty when a card handler took them
        QList<VcardProblem> problems;
        bool sawCard = false; // a BEGIN:VCARD was seen
    };
    static Result split(QByteArrayView bytes);
    // The same, handing each complete card over as soon as it is read
    // instead of keeping them all.
    static Result split(QByteArrayView bytes, const std::function<void(VcardCard &&)> &onCard);

    // One unfolded content line into its parts; false when it has no colon or
    // no valid name.
    static bool parseLine(QByteArrayView line, VcardProperty &property);
};

} // namespace velmora
