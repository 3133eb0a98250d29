#pragma once

#include "app/PageWriter.h"

#include <QString>

namespace velmora {

// Lines gathered and handed to a page writer several at a time: the same
// text as line by line, with far fewer calls. Append a line's text to text(),
// then endLine().
class LineBatch {
public:
    explicit LineBatch(PageWriter &writer) : m_writer(writer) { m_text.reserve(kBatch + 4096); }
    ~LineBatch() { send(); }
    LineBatch(const LineBatch &) = delete;
    LineBatch &operator=(const LineBatch &) = delete;

    QString &text() { return m_text; }
    void endLine()
    {
        m_text += QLatin1String("\r\n");
        if (m_text.size() > kBatch)
            send();
    }
    // Hands the gathered lines to the writer.
    void send()
    {
        if (m_text.isEmpty())
            return;
        // The writer ends the last line itself.
        m_writer.addLine(QStringView(m_text).chopped(2));
        m_text.clear();
    }

private:
    static constexpr qsizetype kBatch = 8192;
    PageWriter &m_writer;
    QString m_text;
};

} // namespace velmora
