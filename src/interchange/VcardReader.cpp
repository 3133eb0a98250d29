#include "interchange/VcardReader.h"

#include "interchange/VcardMapper.h"
#include "settings/Translate.h"

#include <QFile>
#include <QIODevice>

namespace velmora {

VcardReadResult VcardReader::read(QByteArrayView bytes)
{
    VcardReadResult result;
    VcardMapper::Counts counts;
    QList<VcardProblem> unnamed;
    VcardLexer::Result lexed = VcardLexer::split(bytes, [&](VcardCard &&card) {
        CardPerson person;
        QString reason;
        if (VcardMapper::toPerson(card, person, counts, reason)) {
            result.persons += std::move(person);
            result.lines += card.line;
        } else {
            unnamed += VcardProblem{card.line, reason};
        }
    });
    result.isVcard = lexed.sawCard;
    result.problems = std::move(lexed.problems);
    result.problems += unnamed;
    std::stable_sort(result.problems.begin(), result.problems.end(),
                     [](const VcardProblem &a, const VcardProblem &b) { return a.line < b.line; });
    result.fieldsInNote = counts.fieldsInNote;
    result.binaryLeftOut = counts.binaryLeftOut;
    return result;
}

bool VcardReader::read(QIODevice &device, VcardReadResult &result, QString &errorText)
{
    result = VcardReadResult{};
    if (!device.isSequential() && device.size() > kMaxFileSize) {
        errorText = T("The file is too large for an address book.");
        return false;
    }
    QByteArray bytes;
    while (!device.atEnd()) {
        const QByteArray chunk = device.read(1 << 20);
        if (chunk.isEmpty())
            break;
        bytes += chunk;
        if (bytes.size() > kMaxFileSize) {
            errorText = T("The file is too large for an address book.");
            return false;
        }
    }
    result = read(bytes);
    return true;
}

bool VcardReader::readFile(const QString &path, VcardReadResult &result, QString &errorText)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        errorText = T("The file cannot be read:") + QStringLiteral("\n") + path + QStringLiteral("\n") +
                    file.errorString();
        return false;
    }
    if (!read(file, result, errorText)) {
        errorText += QStringLiteral("\n") + path;
        return false;
    }
    if (file.error() != QFileDevice::NoError) {
        errorText = T("The file cannot be read:") + QStringLiteral("\n") + path + QStringLiteral("\n") +
                    file.errorString();
        return false;
    }
    return true;
}

} // namespace velmora
