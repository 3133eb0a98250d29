#include "FuzzEntries.h"

namespace velmora::fuzz {

const std::vector<Target> &targets()
{
    static const std::vector<Target> all = {
        {"sql", sqlEntry},         {"search", searchEntry},
        {"dates", datesEntry},     {"notelinks", noteLinksEntry},
        {"ini", iniEntry},         {"bookfile", bookFileEntry},
        {"version", versionEntry}, {"vcard", vcardEntry},
        {"davxml", davXmlEntry},
    };
    return all;
}

Entry entryNamed(const QString &name)
{
    for (const Target &t : targets()) {
        if (name == QLatin1String(t.name))
            return t.entry;
    }
    return nullptr;
}

} // namespace velmora::fuzz
