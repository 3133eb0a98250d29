#pragma once

#include "app/SecretStore.h"

namespace velmora {

// The secret store of the desktop (the Secret Service, KWallet...) through
// QtKeychain, under the service name "Velmora". QtKeychain works with jobs
// that answer later; each call here waits for its job in a local event loop,
// bounded in time (long enough for the user to unlock the store), so callers
// see a plain blocking call.
class KeychainSecretStore final : public SecretStore {
public:
    static constexpr int kTimeoutMs = 120000;

    explicit KeychainSecretStore(const QString &service = QStringLiteral("Velmora"));

    bool readSecret(const QString &key, QString &secret, bool &found, QString &errorText) override;
    bool writeSecret(const QString &key, const QString &secret, QString &errorText) override;
    bool deleteSecret(const QString &key, QString &errorText) override;

private:
    QString m_service;
};

} // namespace velmora
