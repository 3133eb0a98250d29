#pragma once

#include <QString>

namespace velmora {

// The desktop's secret store (Secret Service through QtKeychain): where the
// sync password lives, never in the settings or the book. Tests install one
// that keeps secrets in memory.
class SecretStore {
public:
    virtual ~SecretStore() = default;

    // false with errorText when the store cannot be reached (no secret
    // service running) or refuses; found is false when nothing is stored.
    virtual bool readSecret(const QString &key, QString &secret, bool &found, QString &errorText) = 0;
    virtual bool writeSecret(const QString &key, const QString &secret, QString &errorText) = 0;
    virtual bool deleteSecret(const QString &key, QString &errorText) = 0;
};

} // namespace velmora
