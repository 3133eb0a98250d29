#pragma once

#include <QString>
#include <QStringView>

namespace velmora {

// How a page's text becomes bytes on disk.
enum class PageEncoding {
    // ISO-8859-1; every character beyond it as a numeric character reference
    // (&#N;), so a page declared ISO-8859-1 loses nothing. For XHTML.
    Latin1WithReferences,
    // The user's locale encoding (UTF-8 on Linux). For plain text.
    Locale,
};

// The buffered writer of generated files (calendar pages, exports). A line is
// added with CR LF; once the buffer holds more than flushLimit characters it
// is appended to the file and emptied. Flushing opens the file for appending
// (creating it when absent), writes the buffer as it stands and closes the
// file. A file ends with an explicit flush().
//
// A failed flush is remembered: ok() stays false and errorText() names the
// file, so a caller can tell a complete file from a torn one at the end.
class PageWriter {
public:
    static constexpr qsizetype flushLimit = 25000;

    explicit PageWriter(QString path = QString(), PageEncoding encoding = PageEncoding::Latin1WithReferences);

    // The file the next flush appends to. Whatever is still buffered goes to
    // the new file: flush before switching.
    void setPath(const QString &path) { m_path = path; }
    const QString &path() const { return m_path; }

    void addLine(QStringView line = QStringView());
    // Appends the buffer to the file and empties it. False when this or an
    // earlier flush failed.
    bool flush();

    bool ok() const { return m_error.isEmpty(); }
    const QString &errorText() const { return m_error; }
    // Starts over for a new file: no error, nothing buffered.
    void reset();
    const QString &buffer() const { return m_buffer; }

private:
    QString m_path;
    PageEncoding m_encoding;
    QString m_buffer;
    QString m_error;
};

// A value for an XHTML text or attribute: & < > and " escaped.
QString escapeXml(QStringView text);

// ISO-8859-1 bytes; characters beyond it as decimal references (&#1046;, one
// reference per code point, surrogate pairs joined; a lone surrogate becomes
// U+FFFD).
QByteArray latin1WithReferences(QStringView text);

} // namespace velmora
