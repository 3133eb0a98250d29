#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace velmora::fuzz {

// Takes choices from the bytes of a fuzz input, front to back. An input that
// runs out reads as zeros, so every input is a valid sequence of choices.
class FuzzInput {
public:
    explicit FuzzInput(QByteArrayView data) : m_data(data) {}

    bool atEnd() const { return m_pos >= m_data.size(); }
    unsigned char byte() { return atEnd() ? 0 : static_cast<unsigned char>(m_data[m_pos++]); }
    // A number from 0 to count - 1.
    int below(int count) { return count <= 0 ? 0 : byte() % count; }
    bool flag() { return byte() & 1; }
    // Up to maxPieces pieces of the list, joined.
    QString pieces(const QStringList &pieces, int maxPieces)
    {
        QString out;
        const int n = below(maxPieces + 1);
        for (int i = 0; i < n; ++i)
            out += pieces.at(below(int(pieces.size())));
        return out;
    }
    // Whatever is left.
    QByteArrayView rest()
    {
        const QByteArrayView out = m_data.sliced(qMin(m_pos, m_data.size()));
        m_pos = m_data.size();
        return out;
    }

private:
    QByteArrayView m_data;
    qsizetype m_pos = 0;
};

} // namespace velmora::fuzz
