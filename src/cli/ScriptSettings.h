#pragma once

#include <QSettings>
#include <QTemporaryFile>
#include <memory>

namespace velmora {

// A script never changes the user's settings: it reads them from a private
// copy (mode 0600, in the process's temporary folder) that is installed as
// the settings seam for the run and removed at its end. Choices made for one
// run (a style, a week start) and whatever the core writes on the way (the
// recent books of an import, a style put right) go into the copy only.
class ScriptSettings {
public:
    // Copies the settings the seam holds now and installs the copy. When no
    // copy can be made the run goes on with the settings as they are.
    ScriptSettings();
    // Puts the user's settings back into the seam.
    ~ScriptSettings();
    ScriptSettings(const ScriptSettings &) = delete;
    ScriptSettings &operator=(const ScriptSettings &) = delete;

    bool isCopy() const { return m_copy != nullptr; }

private:
    QSettings *m_user = nullptr;
    QTemporaryFile m_file;
    std::unique_ptr<QSettings> m_copy;
};

} // namespace velmora
