#pragma once

#include "app/Prompts.h"

#include <QString>

namespace velmora {

// The prompts of the command line for scripts: nothing is ever shown and
// nobody is asked. Messages are kept, the last one for the one line the
// command line prints when an operation fails. Questions get the answer that
// changes nothing (No, Cancel); dialogs and the password window are
// cancelled. Passwords on the command line come from --password-file or the
// terminal, never from here.
class ConsolePrompts final : public Prompts {
public:
    Answer message(const QString &text, const QString &title, Icon icon, Buttons buttons) override;
    QString openFile(const FileDialog &dialog) override;
    QString saveFile(const FileDialog &dialog) override;
    QString chooseFolder(const QString &title, const QString &startFolder) override;
    QString askPassword(const QString &path, bool afterWrongPassword) override;
    QString askAccountPassword(const QString &account, const QString &reason) override;

    // With --force the script has answered the question whether to replace
    // a file beforehand: Yes/No questions then get Yes.
    void setAnswerYes(bool yes) { m_answerYes = yes; }

    // The last message on one line (its lines joined by ": "); empty
    // when there was none.
    QString lastMessage() const { return m_lastMessage; }
    void clear() { m_lastMessage.clear(); }

private:
    QString m_lastMessage;
    bool m_answerYes = false;
};

} // namespace velmora
