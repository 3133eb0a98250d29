#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <variant>
#include <vector>

namespace velmora {

// The one way the program asks the user something or tells them something:
// message boxes, questions, file and folder dialogs and the password entry.
// Windows implement it with real dialogs; tests queue the answers.
enum class Icon { None, Information, Exclamation, Critical, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

struct FileDialog {
    QString title;
    QString filter;      // "Velmora database (*.mdb)|*.mdb" style: pairs separated by '|'
    QString startFolder; // may be empty
    QString fileName;    // suggested name (save dialogs)
    QString defaultSuffix;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual Answer message(const QString &text, const QString &title, Icon icon,
                           Buttons buttons = Buttons::Ok) = 0;
    // Empty result: the user cancelled.
    virtual QString openFile(const FileDialog &dialog) = 0;
    virtual QString saveFile(const FileDialog &dialog) = 0;
    virtual QString chooseFolder(const QString &title, const QString &startFolder) = 0;
    // The password window for a database file; afterWrongPassword tells the
    // user that the password typed before was wrong. Empty result: cancelled.
    virtual QString askPassword(const QString &path, bool afterWrongPassword) = 0;
    // The password of an account on a server ("anna@dav.example.org"), with
    // the reason it is asked for. Empty result: cancelled.
    virtual QString askAccountPassword(const QString &account, const QString &reason) = 0;
};

// Answers from a queue and records everything shown. When the queue holds no
// answer the default is given: Ok for messages, Cancel/empty for dialogs.
class RecordingPrompts final : public Prompts {
public:
    struct Shown {
        enum Kind { Message, OpenFile, SaveFile, Folder, Password, AccountPassword } kind;
        QString text;  // message text, dialog title, password path or account
        QString title; // message title, dialog filter or the account password's reason
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        bool afterWrongPassword = false; // password window
    };
    using Reply = std::variant<Answer, QString>;

    void queue(Reply reply) { m_replies.push_back(std::move(reply)); }
    void queueAnswer(Answer a) { m_replies.emplace_back(a); }
    void queueText(const QString &s) { m_replies.emplace_back(s); }
    const std::vector<Shown> &shown() const { return m_shown; }
    int messageCount() const;
    QString lastMessage() const; // text of the last message box, empty when none
    void clear()
    {
        m_shown.clear();
        m_replies.clear();
    }
    bool allRepliesUsed() const { return m_replies.empty(); }

    Answer message(const QString &text, const QString &title, Icon icon, Buttons buttons) override;
    QString openFile(const FileDialog &dialog) override;
    QString saveFile(const FileDialog &dialog) override;
    QString chooseFolder(const QString &title, const QString &startFolder) override;
    QString askPassword(const QString &path, bool afterWrongPassword) override;
    QString askAccountPassword(const QString &account, const QString &reason) override;

private:
    QString nextText();
    std::deque<Reply> m_replies;
    std::vector<Shown> m_shown;
};

} // namespace velmora
