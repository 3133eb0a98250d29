#include "app/Prompts.h"

namespace velmora {

int RecordingPrompts::messageCount() const
{
    int n = 0;
    for (const auto &s : m_shown)
        if (s.kind == Shown::Message)
            ++n;
    return n;
}

QString RecordingPrompts::lastMessage() const
{
    for (auto it = m_shown.rbegin(); it != m_shown.rend(); ++it)
        if (it->kind == Shown::Message)
            return it->text;
    return {};
}

Answer RecordingPrompts::message(const QString &text, const QString &title, Icon icon, Buttons buttons)
{
    m_shown.push_back({Shown::Message, text, title, icon, buttons});
    if (!m_replies.empty() && std::holds_alternative<Answer>(m_replies.front())) {
        Answer a = std::get<Answer>(m_replies.front());
        m_replies.pop_front();
        return a;
    }
    return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::No : Answer::Ok;
}

QString RecordingPrompts::nextText()
{
    if (!m_replies.empty() && std::holds_alternative<QString>(m_replies.front())) {
        QString s = std::get<QString>(m_replies.front());
        m_replies.pop_front();
        return s;
    }
    return {};
}

QString RecordingPrompts::openFile(const FileDialog &d)
{
    m_shown.push_back({Shown::OpenFile, d.title, d.filter});
    return nextText();
}

QString RecordingPrompts::saveFile(const FileDialog &d)
{
    m_shown.push_back({Shown::SaveFile, d.title, d.filter});
    return nextText();
}

QString RecordingPrompts::chooseFolder(const QString &title, const QString &)
{
    m_shown.push_back({Shown::Folder, title, {}});
    return nextText();
}

QString RecordingPrompts::askPassword(const QString &path, bool afterWrongPassword)
{
    m_shown.push_back({Shown::Password, path, {}, Icon::None, Buttons::Ok, afterWrongPassword});
    return nextText();
}

QString RecordingPrompts::askAccountPassword(const QString &account, const QString &reason)
{
    m_shown.push_back({Shown::AccountPassword, account, reason});
    return nextText();
}

} // namespace velmora
