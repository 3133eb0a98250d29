#include "app/KeychainSecretStore.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>
#include <QTimer>
#include <memory>

namespace velmora {

namespace {

// What a finished job said. Shared with the job's slot, which may run after
// a wait that timed out.
struct Outcome {
    bool finished = false;
    QKeychain::Error error = QKeychain::NoError;
    QString errorText;
    QString secret;
};

// Starts the job and waits for it (the job deletes itself when finished).
std::shared_ptr<Outcome> runJob(QKeychain::Job *job)
{
    auto outcome = std::make_shared<Outcome>();
    QEventLoop loop;
    QObject::connect(job, &QKeychain::Job::finished, job, [outcome, &loop, job] {
        outcome->finished = true;
        outcome->error = job->error();
        outcome->errorText = job->errorString();
        if (auto *read = qobject_cast<QKeychain::ReadPasswordJob *>(job))
            outcome->secret = read->textData();
        if (loop.isRunning())
            loop.quit();
    });
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    job->start();
    if (!outcome->finished) {
        timeout.start(KeychainSecretStore::kTimeoutMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!outcome->finished) {
        // The job may still finish later (and delete itself then): it must
        // not reach the loop that is gone.
        QObject::disconnect(job, &QKeychain::Job::finished, job, nullptr);
        outcome->error = QKeychain::OtherError;
        outcome->errorText = QStringLiteral("the secret service did not answer");
    }
    return outcome;
}

QString describe(const Outcome &o)
{
    const QString text = o.errorText.trimmed();
    return text.isEmpty() ? QStringLiteral("error %1").arg(int(o.error)) : text;
}

} // namespace

KeychainSecretStore::KeychainSecretStore(const QString &service) : m_service(service) {}

bool KeychainSecretStore::readSecret(const QString &key, QString &secret, bool &found, QString &errorText)
{
    secret.clear();
    found = false;
    errorText.clear();
    auto *job = new QKeychain::ReadPasswordJob(m_service);
    job->setKey(key);
    const auto o = runJob(job);
    if (o->error == QKeychain::EntryNotFound)
        return true;
    if (o->error != QKeychain::NoError) {
        errorText = describe(*o);
        return false;
    }
    secret = o->secret;
    found = true;
    return true;
}

bool KeychainSecretStore::writeSecret(const QString &key, const QString &secret, QString &errorText)
{
    errorText.clear();
    auto *job = new QKeychain::WritePasswordJob(m_service);
    job->setKey(key);
    job->setTextData(secret);
    const auto o = runJob(job);
    if (o->error != QKeychain::NoError) {
        errorText = describe(*o);
        return false;
    }
    return true;
}

bool KeychainSecretStore::deleteSecret(const QString &key, QString &errorText)
{
    errorText.clear();
    auto *job = new QKeychain::DeletePasswordJob(m_service);
    job->setKey(key);
    const auto o = runJob(job);
    if (o->error != QKeychain::NoError && o->error != QKeychain::EntryNotFound) {
        errorText = describe(*o);
        return false;
    }
    return true;
}

} // namespace velmora
