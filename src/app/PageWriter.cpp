#include "app/PageWriter.h"

#include "settings/Translate.h"

#include <QFile>
#include <QStringEncoder>

#include <algorithm>

namespace velmora {

PageWriter::PageWriter(QString path, PageEncoding encoding) : m_path(std::move(path)), m_encoding(encoding) {}

void PageWriter::addLine(QStringView line)
{
    m_buffer += line;
    m_buffer += QLatin1String("\r\n");
    if (m_buffer.size() > flushLimit)
        flush();
}

bool PageWriter::flush()
{
    const QString text = std::exchange(m_buffer, QString());
    if (!ok())
        return false;
    QByteArray bytes;
    if (m_encoding == PageEncoding::Latin1WithReferences) {
        bytes = latin1WithReferences(text);
    } else {
        QStringEncoder encoder(QStringConverter::System);
        bytes = encoder.encode(text);
    }
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(bytes) != bytes.size() ||
        !file.flush()) {
        m_error = T("The file could not be written:") + QLatin1String("\r\n") + m_path +
                  QLatin1String("\r\n") + file.errorString();
        return false;
    }
    return true;
}

void PageWriter::reset()
{
    m_buffer.clear();
    m_error.clear();
}

QString escapeXml(QStringView text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        case u'"':
            out += QLatin1String("&quot;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QByteArray latin1WithReferences(QStringView text)
{
    // Most pages hold nothing beyond ISO-8859-1: one conversion of the whole.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100; }))
        return text.toLatin1();
    QByteArray out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x100) {
            out += char(c);
            continue;
        }
        char32_t code = c;
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            code = QChar::surrogateToUcs4(c, text[i + 1].unicode());
            ++i;
        } else if (QChar::isSurrogate(c)) {
            code = 0xFFFD;
        }
        out += "&#";
        out += QByteArray::number(uint(code));
        out += ';';
    }
    return out;
}

} // namespace velmora
