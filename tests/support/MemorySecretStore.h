#pragma once

#include "app/SecretStore.h"

#include <QHash>

namespace velmora::test {

// Keeps secrets in memory. With setAvailable(false) it answers as a desktop
// without a secret service does.
class MemorySecretStore final : public SecretStore {
public:
    void setAvailable(bool available) { m_available = available; }
    const QHash<QString, QString> &secrets() const { return m_secrets; }

    bool readSecret(const QString &key, QString &secret, bool &found, QString &errorText) override
    {
        found = false;
        secret.clear();
        if (!refused(errorText))
            return false;
        found = m_secrets.contains(key);
        secret = m_secrets.value(key);
        return true;
    }
    bool writeSecret(const QString &key, const QString &secret, QString &errorText) override
    {
        if (!refused(errorText))
            return false;
        m_secrets.insert(key, secret);
        return true;
    }
    bool deleteSecret(const QString &key, QString &errorText) override
    {
        if (!refused(errorText))
            return false;
        m_secrets.remove(key);
        return true;
    }

    static constexpr const char *kUnavailable = "No keychain service available";

private:
    bool refused(QString &errorText) const
    {
        errorText = m_available ? QString() : QString::fromLatin1(kUnavailable);
        return m_available;
    }
    bool m_available = true;
    QHash<QString, QString> m_secrets;
};

} // namespace velmora::test
