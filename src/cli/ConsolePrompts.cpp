#include "cli/ConsolePrompts.h"

#include <QRegularExpression>

namespace velmora {

Answer ConsolePrompts::message(const QString &text, const QString &, Icon, Buttons buttons)
{
    static const QRegularExpression lineBreaks(QStringLiteral("[\\r\\n]+"));
    m_lastMessage.clear();
    for (const QString &line : text.split(lineBreaks, Qt::SkipEmptyParts)) {
        const QString part = line.trimmed();
        if (part.isEmpty())
            continue;
        if (!m_lastMessage.isEmpty())
            m_lastMessage +=
                m_lastMessage.endsWith(QLatin1Char(':')) ? QStringLiteral(" ") : QStringLiteral(": ");
        m_lastMessage += part;
    }
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::OkCancel:
    case Buttons::YesNoCancel:
        return Answer::Cancel;
    case Buttons::YesNo:
        return m_answerYes ? Answer::Yes : Answer::No;
    }
    return Answer::Cancel;
}

QString ConsolePrompts::openFile(const FileDialog &)
{
    return {};
}

QString ConsolePrompts::saveFile(const FileDialog &)
{
    return {};
}

QString ConsolePrompts::chooseFolder(const QString &, const QString &)
{
    return {};
}

QString ConsolePrompts::askPassword(const QString &, bool)
{
    return {};
}

QString ConsolePrompts::askAccountPassword(const QString &, const QString &)
{
    return {};
}

} // namespace velmora
