#include "store/SortCollator.h"

#include <QLocale>
#include <QMutexLocker>
#include <QRecursiveMutex>

#include <unicode/ucol.h>
#include <unicode/uiter.h>

#include <unordered_map>
#include <vector>

namespace velmora {

namespace {

struct ViewHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};

struct ViewEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return a == b; }
};

// A book holds at most 32,767 persons with a handful of texts each; the cache
// is emptied when it grows beyond what a few books need.
constexpr size_t kMaxCachedKeys = 200000;

QString systemLocaleName()
{
    const QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        return QString();
    return locale.name();
}

} // namespace

struct SortCollator::Private {
    UCollator *collator = nullptr;
    std::unordered_map<std::string, std::string, ViewHash, ViewEqual> cache;
    std::vector<uint8_t> buffer;
    QRecursiveMutex mutex; // a statement may look keys up while a session holds it

    ~Private()
    {
        if (collator)
            ucol_close(collator);
    }

    void open(const QString &localeName)
    {
        if (collator)
            ucol_close(collator);
        cache.clear();
        UErrorCode status = U_ZERO_ERROR;
        collator = ucol_open(localeName.toUtf8().constData(), &status);
        if (U_FAILURE(status) || !collator) {
            status = U_ZERO_ERROR;
            collator = ucol_open("", &status);
        }
        if (collator) {
            status = U_ZERO_ERROR;
            ucol_setStrength(collator, UCOL_TERTIARY);
        }
    }

    std::string computeKey(std::string_view utf8)
    {
        if (!collator)
            return std::string(utf8);
        const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
        const UChar *chars = reinterpret_cast<const UChar *>(text.utf16());
        if (buffer.size() < 64)
            buffer.resize(64);
        int32_t length =
            ucol_getSortKey(collator, chars, int32_t(text.size()), buffer.data(), int32_t(buffer.size()));
        if (length > int32_t(buffer.size())) {
            buffer.resize(size_t(length));
            length =
                ucol_getSortKey(collator, chars, int32_t(text.size()), buffer.data(), int32_t(buffer.size()));
        }
        if (length <= 0)
            return std::string(utf8);
        // The key ends with a zero byte that adds nothing to the order.
        return std::string(reinterpret_cast<const char *>(buffer.data()), size_t(length - 1));
    }
};

SortCollator &SortCollator::instance()
{
    static SortCollator collator(systemLocaleName());
    return collator;
}

SortCollator::SortCollator(const QString &localeName) : d(std::make_unique<Private>())
{
    setLocale(localeName);
}

SortCollator::~SortCollator() = default;

void SortCollator::setLocale(const QString &localeName)
{
    QMutexLocker lock(&d->mutex);
    m_localeName = localeName;
    d->open(localeName);
}

std::string_view SortCollator::lookUp(std::string_view utf8)
{
    auto it = d->cache.find(utf8);
    if (it == d->cache.end())
        it = d->cache.emplace(std::string(utf8), d->computeKey(utf8)).first;
    return it->second;
}

std::string_view SortCollator::sortKey(std::string_view utf8)
{
    QMutexLocker lock(&d->mutex);
    return lookUp(utf8);
}

SortCollator::Session::Session(SortCollator &collator) : m_collator(collator)
{
    m_collator.d->mutex.lock();
}

SortCollator::Session::~Session()
{
    m_collator.d->mutex.unlock();
}

std::string_view SortCollator::Session::sortKey(std::string_view utf8)
{
    return m_collator.lookUp(utf8);
}

void SortCollator::trimCache()
{
    QMutexLocker lock(&d->mutex);
    if (d->cache.size() >= kMaxCachedKeys)
        d->cache.clear();
}

int SortCollator::compare(std::string_view a, std::string_view b)
{
    QMutexLocker lock(&d->mutex);
    if (!d->collator)
        return a.compare(b);
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        ucol_strcollUTF8(d->collator, a.data(), int32_t(a.size()), b.data(), int32_t(b.size()), &status);
    if (U_FAILURE(status))
        return a.compare(b);
    return int(result);
}

} // namespace velmora
