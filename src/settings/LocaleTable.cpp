#include "settings/LocaleTable.h"

namespace velmora {

namespace {

struct Entry {
    QLocale::Language language;
    QLocale::Script script;       // AnyScript: any script
    QLocale::Territory territory; // AnyTerritory: any territory
    const char *abbreviation;
    quint32 identifier;
};

// Specific territories and scripts come before the entry for the rest of the
// language; the first matching entry counts. The abbreviations are the ones
// the language detection expects for every language it knows.
constexpr Entry kEntries[] = {
    {QLocale::English, QLocale::AnyScript, QLocale::UnitedStates, "ENU", 0x0409},
    {QLocale::English, QLocale::AnyScript, QLocale::UnitedKingdom, "ENG", 0x0809},
    {QLocale::English, QLocale::AnyScript, QLocale::Australia, "ENA", 0x0C09},
    {QLocale::English, QLocale::AnyScript, QLocale::Canada, "ENC", 0x1009},
    {QLocale::English, QLocale::AnyScript, QLocale::NewZealand, "ENZ", 0x1409},
    {QLocale::English, QLocale::AnyScript, QLocale::Ireland, "ENI", 0x1809},
    {QLocale::English, QLocale::AnyScript, QLocale::SouthAfrica, "ENS", 0x1C09},
    {QLocale::English, QLocale::AnyScript, QLocale::AnyTerritory, "ENU", 0x0409},

    {QLocale::Dutch, QLocale::AnyScript, QLocale::Belgium, "NLB", 0x0813},
    {QLocale::Dutch, QLocale::AnyScript, QLocale::AnyTerritory, "NLD", 0x0413},
    {QLocale::German, QLocale::AnyScript, QLocale::Switzerland, "DES", 0x0807},
    {QLocale::German, QLocale::AnyScript, QLocale::Austria, "DEA", 0x0C07},
    {QLocale::German, QLocale::AnyScript, QLocale::Luxembourg, "DEL", 0x1007},
    {QLocale::German, QLocale::AnyScript, QLocale::Liechtenstein, "DEC", 0x1407},
    {QLocale::German, QLocale::AnyScript, QLocale::AnyTerritory, "DEU", 0x0407},
    {QLocale::French, QLocale::AnyScript, QLocale::Belgium, "FRB", 0x080C},
    {QLocale::French, QLocale::AnyScript, QLocale::Canada, "FRC", 0x0C0C},
    {QLocale::French, QLocale::AnyScript, QLocale::Switzerland, "FRS", 0x100C},
    {QLocale::French, QLocale::AnyScript, QLocale::Luxembourg, "FRL", 0x140C},
    {QLocale::French, QLocale::AnyScript, QLocale::Monaco, "FRM", 0x180C},
    {QLocale::French, QLocale::AnyScript, QLocale::AnyTerritory, "FRA", 0x040C},
    {QLocale::Spanish, QLocale::AnyScript, QLocale::Mexico, "ESM", 0x080A},
    {QLocale::Spanish, QLocale::AnyScript, QLocale::Argentina, "ESS", 0x2C0A},
    {QLocale::Spanish, QLocale::AnyScript, QLocale::Colombia, "ESO", 0x240A},
    {QLocale::Spanish, QLocale::AnyScript, QLocale::Chile, "ESL", 0x340A},
    {QLocale::Spanish, QLocale::AnyScript, QLocale::UnitedStates, "EST", 0x540A},
    {QLocale::Spanish, QLocale::AnyScript, QLocale::AnyTerritory, "ESN", 0x0C0A},
    {QLocale::Italian, QLocale::AnyScript, QLocale::Switzerland, "ITS", 0x0810},
    {QLocale::Italian, QLocale::AnyScript, QLocale::AnyTerritory, "ITA", 0x0410},
    {QLocale::NorwegianNynorsk, QLocale::AnyScript, QLocale::AnyTerritory, "NON", 0x0814},
    {QLocale::NorwegianBokmal, QLocale::AnyScript, QLocale::AnyTerritory, "NOR", 0x0414},
    {QLocale::Albanian, QLocale::AnyScript, QLocale::AnyTerritory, "SQI", 0x041C},
    {QLocale::Romanian, QLocale::AnyScript, QLocale::AnyTerritory, "ROM", 0x0418},
    {QLocale::Russian, QLocale::AnyScript, QLocale::AnyTerritory, "RUS", 0x0419},

    {QLocale::Basque, QLocale::AnyScript, QLocale::AnyTerritory, "EUQ", 0x042D},
    {QLocale::Chinese, QLocale::AnyScript, QLocale::Taiwan, "CHT", 0x0404},
    {QLocale::Chinese, QLocale::AnyScript, QLocale::HongKong, "ZHH", 0x0C04},
    {QLocale::Chinese, QLocale::AnyScript, QLocale::Macao, "ZHM", 0x1404},
    {QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::AnyTerritory, "CHT", 0x0404},
    {QLocale::Chinese, QLocale::AnyScript, QLocale::Singapore, "ZHI", 0x1004},
    {QLocale::Chinese, QLocale::AnyScript, QLocale::AnyTerritory, "CHS", 0x0804},
    {QLocale::Croatian, QLocale::AnyScript, QLocale::AnyTerritory, "HRV", 0x041A},
    {QLocale::Danish, QLocale::AnyScript, QLocale::AnyTerritory, "DAN", 0x0406},
    {QLocale::Estonian, QLocale::AnyScript, QLocale::AnyTerritory, "ETI", 0x0425},
    {QLocale::Finnish, QLocale::AnyScript, QLocale::AnyTerritory, "FIN", 0x040B},
    {QLocale::Greek, QLocale::AnyScript, QLocale::AnyTerritory, "ELL", 0x0408},
    {QLocale::Hebrew, QLocale::AnyScript, QLocale::AnyTerritory, "HEB", 0x040D},
    {QLocale::Hungarian, QLocale::AnyScript, QLocale::AnyTerritory, "HUN", 0x040E},
    {QLocale::Icelandic, QLocale::AnyScript, QLocale::AnyTerritory, "ISL", 0x040F},
    {QLocale::Indonesian, QLocale::AnyScript, QLocale::AnyTerritory, "BAH", 0x0421},
    {QLocale::Latvian, QLocale::AnyScript, QLocale::AnyTerritory, "LVI", 0x0426},
    {QLocale::Polish, QLocale::AnyScript, QLocale::AnyTerritory, "PLK", 0x0415},
    {QLocale::Portuguese, QLocale::AnyScript, QLocale::Brazil, "PTB", 0x0416},
    {QLocale::Portuguese, QLocale::AnyScript, QLocale::AnyTerritory, "PTG", 0x0816},
    {QLocale::Serbian, QLocale::LatinScript, QLocale::AnyTerritory, "SRL", 0x081A},
    {QLocale::Serbian, QLocale::AnyScript, QLocale::AnyTerritory, "SHQ", 0x0C1A},
    {QLocale::Slovak, QLocale::AnyScript, QLocale::AnyTerritory, "SKY", 0x041B},
    {QLocale::Slovenian, QLocale::AnyScript, QLocale::AnyTerritory, "SLV", 0x0424},
    {QLocale::Swedish, QLocale::AnyScript, QLocale::Finland, "SVF", 0x081D},
    {QLocale::Swedish, QLocale::AnyScript, QLocale::AnyTerritory, "SVE", 0x041D},
    {QLocale::Turkish, QLocale::AnyScript, QLocale::AnyTerritory, "TRK", 0x041F},
    {QLocale::Ukrainian, QLocale::AnyScript, QLocale::AnyTerritory, "UKR", 0x0422},

    {QLocale::Afrikaans, QLocale::AnyScript, QLocale::AnyTerritory, "AFK", 0x0436},
    {QLocale::Arabic, QLocale::AnyScript, QLocale::AnyTerritory, "ARA", 0x0401},
    {QLocale::Belarusian, QLocale::AnyScript, QLocale::AnyTerritory, "BEL", 0x0423},
    {QLocale::Bosnian, QLocale::AnyScript, QLocale::AnyTerritory, "BSB", 0x141A},
    {QLocale::Bulgarian, QLocale::AnyScript, QLocale::AnyTerritory, "BGR", 0x0402},
    {QLocale::Catalan, QLocale::AnyScript, QLocale::AnyTerritory, "CAT", 0x0403},
    {QLocale::Czech, QLocale::AnyScript, QLocale::AnyTerritory, "CSY", 0x0405},
    {QLocale::Galician, QLocale::AnyScript, QLocale::AnyTerritory, "GLC", 0x0456},
    {QLocale::Hindi, QLocale::AnyScript, QLocale::AnyTerritory, "HIN", 0x0439},
    {QLocale::Irish, QLocale::AnyScript, QLocale::AnyTerritory, "IRE", 0x083C},
    {QLocale::Japanese, QLocale::AnyScript, QLocale::AnyTerritory, "JPN", 0x0411},
    {QLocale::Korean, QLocale::AnyScript, QLocale::AnyTerritory, "KOR", 0x0412},
    {QLocale::Lithuanian, QLocale::AnyScript, QLocale::AnyTerritory, "LTH", 0x0427},
    {QLocale::Luxembourgish, QLocale::AnyScript, QLocale::AnyTerritory, "LBX", 0x046E},
    {QLocale::Macedonian, QLocale::AnyScript, QLocale::AnyTerritory, "MKI", 0x042F},
    {QLocale::Malay, QLocale::AnyScript, QLocale::AnyTerritory, "MSL", 0x043E},
    {QLocale::Maltese, QLocale::AnyScript, QLocale::AnyTerritory, "MLT", 0x043A},
    {QLocale::Persian, QLocale::AnyScript, QLocale::AnyTerritory, "FAR", 0x0429},
    {QLocale::Thai, QLocale::AnyScript, QLocale::AnyTerritory, "THA", 0x041E},
    {QLocale::Vietnamese, QLocale::AnyScript, QLocale::AnyTerritory, "VIT", 0x042A},
    {QLocale::Welsh, QLocale::AnyScript, QLocale::AnyTerritory, "CYM", 0x0452},
};

constexpr Entry kFallback = {QLocale::English, QLocale::AnyScript, QLocale::UnitedStates, "ENU", 0x0409};

const Entry &entryFor(const QLocale &locale)
{
    for (const Entry &e : kEntries) {
        if (e.language != locale.language())
            continue;
        if (e.territory != QLocale::AnyTerritory && e.territory != locale.territory())
            continue;
        if (e.script != QLocale::AnyScript && e.script != locale.script())
            continue;
        return e;
    }
    return kFallback;
}

const Entry *entryFor(quint32 identifier)
{
    for (const Entry &e : kEntries) {
        if (e.identifier == identifier)
            return &e;
    }
    return nullptr;
}

} // namespace

quint32 LocaleTable::identifier(const QLocale &locale)
{
    return entryFor(locale).identifier;
}

QString LocaleTable::abbreviation(const QLocale &locale)
{
    return QString::fromLatin1(entryFor(locale).abbreviation);
}

QLocale LocaleTable::locale(quint32 identifier)
{
    const Entry *e = entryFor(identifier);
    if (!e)
        return QLocale::c();
    return QLocale(e->language, e->script, e->territory);
}

QString LocaleTable::abbreviation(quint32 identifier)
{
    const Entry *e = entryFor(identifier);
    return e ? QString::fromLatin1(e->abbreviation) : QString();
}

} // namespace velmora
