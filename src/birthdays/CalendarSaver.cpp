#include "birthdays/CalendarSaver.h"

#include "app/Prompts.h"
#include "app/SafeFile.h"
#include "app/Seams.h"
#include "birthdays/CalendarGenerator.h"
#include "settings/Translate.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

QString CalendarSaver::browseForFolder()
{
    return prompts().chooseFolder(QString(), QString());
}

bool CalendarSaver::copy(const QString &source, const QString &target)
{
    const QFileInfo existing(target);
    if (existing.exists()) {
        const QString question = T("File already exists:") + QLatin1Char('\n') + target +
                                 QStringLiteral("\n\n") + T("Replace") + QLatin1Char('?');
        if (prompts().message(question, T("Error"), Icon::Question, Buttons::YesNo) != Answer::Yes)
            return true;
    }
    const FileResult result = copyFileSafely(source, target);
    if (!result.ok) {
        m_errorText = result.errorText;
        return false;
    }
    ++m_copied;
    return true;
}

bool CalendarSaver::saveCalendarPages(const CalendarSelection &selection, const QString &sourceFolder,
                                      const QString &chosenFolder, const ProgressCallback &progress)
{
    m_errorText.clear();
    m_copied = 0;
    m_target.clear();
    if (chosenFolder.isEmpty())
        return true;
    constexpr int kSteps = 37;
    m_target = QDir(chosenFolder).filePath(QStringLiteral("Calendar"));
    if (!QFileInfo(m_target).isDir() && !QDir(chosenFolder).mkdir(QStringLiteral("Calendar"))) {
        m_errorText = T("The folder could not be created:") + QLatin1Char('\n') + m_target;
        return false;
    }
    int done = 0;
    reportProgress(progress, done, kSteps);
    if (!copy(sourceFolder + QStringLiteral("/calendar.css"), m_target + QStringLiteral("/calendar.css")))
        return false;
    reportProgress(progress, ++done, kSteps);
    for (int y = 0; y < 3; ++y) {
        for (int m = 1; m <= 12; ++m) {
            if (selection.months[size_t(y)][size_t(m - 1)]) {
                const QString name = CalendarGenerator::pageFileName(selection.firstYear + y, m);
                if (!copy(sourceFolder + QLatin1Char('/') + name, m_target + QLatin1Char('/') + name))
                    return false;
            }
            reportProgress(progress, ++done, kSteps);
        }
    }
    return true;
}

} // namespace velmora
