#include "app/ui/Icons.h"

// The icons are compiled into the windows library, whose resources a static
// link does not register by itself.
static void registerIconResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace velmora {

namespace {
// The freedesktop.org icon names that stand for the program's icons.
QString themeName(const QString &name)
{
    static const struct {
        const char *name;
        const char *theme;
    } table[] = {
        {"new", "document-new"},         {"open", "document-open"},     {"add", "contact-new"},
        {"edit", "document-edit"},       {"remove", "edit-delete"},     {"export", "document-export"},
        {"search", "edit-find"},         {"email", "mail-message-new"}, {"calendar", "x-office-calendar"},
        {"password", "dialog-password"}, {"sync", "view-refresh"},
    };
    for (const auto &entry : table) {
        if (name == QLatin1String(entry.name))
            return QLatin1String(entry.theme);
    }
    return {};
}
} // namespace

QIcon programIcon(const QString &name)
{
    static const bool registered = (registerIconResources(), true);
    Q_UNUSED(registered);
    const QIcon own(QStringLiteral(":/icons/") + name + QStringLiteral(".svg"));
    const QString theme = themeName(name);
    if (theme.isEmpty() || QIcon::themeName().isEmpty())
        return own;
    return QIcon::fromTheme(theme, own);
}

} // namespace velmora
