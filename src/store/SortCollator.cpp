#include "store/SortCollator.h"

#include <QLocale>
#include <QMutexLocker>
#include <QRecursiveMutex>

#include <unicode/ucol.h>
#include <unicode/uiter.h>

#include <cstring>
#include <memory>
#include <vector>

namespace velmora {

namespace {

// Texts and their keys are kept in blocks that never move, so that a key
// handed out stays where it is until the cache is emptied.
class Arena {
public:
    const char *store(std::string_view bytes)
    {
        if (bytes.size() > kBlock / 4) {
            m_blocks.insert(m_blocks.begin(), std::make_unique<char[]>(bytes.size()));
            std::memcpy(m_blocks.front().get(), bytes.data(), bytes.size());
            return m_blocks.front().get();
        }
        if (m_blocks.empty() || m_used + bytes.size() > kBlock) {
            m_blocks.push_back(std::make_unique<char[]>(kBlock));
            m_used = 0;
        }
        char *at = m_blocks.back().get() + m_used;
        std::memcpy(at, bytes.data(), bytes.size());
        m_used += bytes.size();
        return at;
    }
    void clear()
    {
        m_blocks.clear();
        m_used = 0;
    }

private:
    static constexpr size_t kBlock = size_t(1) << 18;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    size_t m_used = 0;
};

// An open-addressing table from text to sort key: a list of 32,767 names
// asks for 65,534 keys, and a compact table answers them from the cache.
class KeyCache {
public:
    KeyCache() { clear(); }

    size_t size() const { return m_count; }

    void clear()
    {
        m_slots.assign(kFirstSize, Slot());
        m_count = 0;
        m_arena.clear();
    }

    // The key of text, computing it with make when it is not known yet.
    template <typename Make> std::string_view find(std::string_view text, Make make)
    {
        const uint64_t hash = hashOf(text);
        size_t i = size_t(hash) & (m_slots.size() - 1);
        for (;; i = (i + 1) & (m_slots.size() - 1)) {
            const Slot &slot = m_slots[i];
            if (!slot.hash)
                break;
            if (slot.hash == hash && slot.textSize == text.size() &&
                std::memcmp(slot.text, text.data(), text.size()) == 0)
                return std::string_view(slot.key, slot.keySize);
        }
        const std::string key = make(text);
        Slot &slot = m_slots[i];
        slot.hash = hash;
        slot.text = m_arena.store(text);
        slot.textSize = quint32(text.size());
        slot.key = m_arena.store(key);
        slot.keySize = quint32(key.size());
        const std::string_view found(slot.key, slot.keySize);
        if (++m_count * 2 > m_slots.size())
            grow();
        return found;
    }

private:
    struct Slot {
        uint64_t hash = 0; // 0: empty
        const char *text = nullptr;
        const char *key = nullptr;
        quint32 textSize = 0;
        quint32 keySize = 0;
    };
    static constexpr size_t kFirstSize = 4096;

    static uint64_t hashOf(std::string_view text)
    {
        uint64_t h = 14695981039346656037ull; // FNV-1a
        for (char c : text) {
            h ^= uint8_t(c);
            h *= 1099511628211ull;
        }
        return h ? h : 1;
    }

    void grow()
    {
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        for (const Slot &slot : old) {
            if (!slot.hash)
                continue;
            size_t i = size_t(slot.hash) & (m_slots.size() - 1);
            while (m_slots[i].hash)
                i = (i + 1) & (m_slots.size() - 1);
            m_slots[i] = slot;
        }
    }

    std::vector<Slot> m_slots;
    size_t m_count = 0;
    Arena m_arena;
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
    KeyCache cache;
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
    return d->cache.find(utf8, [this](std::string_view text) { return d->computeKey(text); });
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
