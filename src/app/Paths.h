#pragma once

#include <QString>
#include <memory>

class QTemporaryDir;

namespace velmora {

// The folders the program works with. All returned folders are absolute
// and carry no trailing separator unless stated.
class Paths {
public:
    virtual ~Paths() = default;
    // Where the executable is (or the installed share folder): holds the
    // Language, Calendar, Css and Sound folders.
    virtual QString programFolder() const = 0;
    // Private temporary folder of this process (mode 0700).
    virtual QString tempFolder() const = 0;
    // The user's documents folder.
    virtual QString documentsFolder() const = 0;
    QString dataFolder(const QString &name) const { return programFolder() + QLatin1Char('/') + name; }
};

class SystemPaths final : public Paths {
public:
    SystemPaths();
    ~SystemPaths() override;
    QString programFolder() const override;
    QString tempFolder() const override;
    QString documentsFolder() const override;

private:
    mutable std::unique_ptr<QTemporaryDir> m_temp;
};

// Fixed folders, for tests and benchmarks.
class FixedPaths final : public Paths {
public:
    FixedPaths(QString program, QString temp, QString documents)
        : m_program(std::move(program)), m_temp(std::move(temp)), m_documents(std::move(documents))
    {
    }
    QString programFolder() const override { return m_program; }
    QString tempFolder() const override { return m_temp; }
    QString documentsFolder() const override { return m_documents; }
    QString m_program, m_temp, m_documents;
};

} // namespace velmora
