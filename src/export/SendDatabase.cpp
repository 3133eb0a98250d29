#include "export/SendDatabase.h"

#include "app/ProgramInfo.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "app/Website.h"
#include "export/Mailer.h"
#include "settings/Settings.h"
#include "settings/Translate.h"
#include "store/Database.h"

#include <QFileInfo>

namespace velmora {

QString programPageAddress()
{
    return websiteAddress() + QStringLiteral("/velmora/");
}

QString sendDatabaseSubject(const QString &path)
{
    return T("Velmora database") + QStringLiteral(": ") + QFileInfo(path).fileName();
}

QString sendDatabaseDescription(const QString &path)
{
    return sendDatabaseSubject(path) + QStringLiteral("\r\n\r\n---\r\n") + programTitle() +
           QStringLiteral("\r\n") + programPageAddress();
}

bool sendDatabase(const QString &to, const QString &description, const QString &path)
{
    if (plainRecipient(to).isEmpty()) {
        prompts().message(T("This is not one e-mail address:") + QLatin1Char('\n') + to, T("Error"),
                          Icon::Exclamation);
        return false;
    }
    saveSetting(QStringLiteral("Email"), to);
    Database &database = Database::instance();
    // Closed (and compacted), the file is complete and nothing writes to it
    // while it is read.
    database.closeDatabase(true);
    sendMailReporting({to, sendDatabaseSubject(path), description, {path}});
    database.openDatabase(path);
    return true;
}

} // namespace velmora
