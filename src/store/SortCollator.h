#pragma once

#include <QString>
#include <memory>
#include <string>
#include <string_view>

namespace velmora {

// Sorts names the way people of the user's locale expect them: accented
// letters beside their base letter, lower and upper case side by side. Gives
// byte strings (sort keys) that compare with memcmp in that order, so that
// the database can sort a long list without calling back for every
// comparison. Keys are cached, since a book repeats the same names often.
class SortCollator {
public:
    // The collator of the process, for the user's locale (the root order
    // when the locale is "C").
    static SortCollator &instance();

    explicit SortCollator(const QString &localeName);
    ~SortCollator();
    SortCollator(const SortCollator &) = delete;
    SortCollator &operator=(const SortCollator &) = delete;

    // Switches to another locale ("sv_SE", "de_DE", empty for the root order).
    void setLocale(const QString &localeName);
    QString localeName() const { return m_localeName; }

    // The sort key of a UTF-8 text. The view stays valid until trimCache()
    // or setLocale().
    std::string_view sortKey(std::string_view utf8);
    // Forgets the keys when there are more than a few books' worth; called
    // between statements, never while keys are in use.
    void trimCache();
    // Compares two UTF-8 texts in this order: negative, 0 or positive.
    int compare(std::string_view a, std::string_view b);

    // Holds the collator for a run of look-ups (one lock instead of one per
    // key).
    class Session {
    public:
        explicit Session(SortCollator &collator);
        ~Session();
        Session(const Session &) = delete;
        Session &operator=(const Session &) = delete;
        std::string_view sortKey(std::string_view utf8);

    private:
        SortCollator &m_collator;
    };

private:
    std::string_view lookUp(std::string_view utf8);
    struct Private;
    std::unique_ptr<Private> d;
    QString m_localeName;
};

} // namespace velmora
