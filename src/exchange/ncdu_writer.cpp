#include "exchange/ncdu_writer.h"

#include "exchange/ncdu_format.h"

#include <QIODevice>

namespace {

constexpr qsizetype flushAt = 1 << 16;

} // namespace

NcduWriter::NcduWriter(QIODevice &out, const QByteArray &programVersion, qint64 timestamp)
    : m_out(out)
{
    m_buffer.reserve(flushAt + 4096);
    m_buffer += "[" + QByteArray::number(NcduFormat::majorVersion) + "," + QByteArray::number(NcduFormat::newestMinorVersion)
        + ",{\"progname\":\"zorvik-kavrona\",\"progver\":";
    putName(programVersion);
    m_buffer += ",\"timestamp\":" + QByteArray::number(timestamp) + "}";
}

void NcduWriter::beginFolder(QByteArrayView name, bool readError)
{
    put(",\n[{\"name\":");
    putName(name);
    if (readError)
        put(",\"read_error\":true");
    put("}");
    ++m_depth;
    flushIfFull();
}

void NcduWriter::file(const ListedFile &file)
{
    put(",\n{\"name\":");
    putName(file.name);
    put(",\"asize\":");
    putNumber(file.size);
    put(",\"dsize\":");
    putNumber(file.diskBytes);
    if (file.links > 1) {
        put(",\"ino\":");
        putNumber(file.inode);
        put(",\"nlink\":");
        putNumber(file.links);
        put(",\"hlnkc\":true");
    }
    put("}");
    flushIfFull();
}

void NcduWriter::endFolder()
{
    put("]");
    --m_depth;
    flushIfFull();
}

bool NcduWriter::finish()
{
    put("]\n");
    if (!m_failed && m_out.write(m_buffer) != m_buffer.size())
        m_failed = true;
    m_buffer.clear();
    return !m_failed && m_depth == 0;
}

void NcduWriter::putName(QByteArrayView name)
{
    static const char hex[] = "0123456789abcdef";
    m_buffer += '"';
    for (const char character : name) {
        const auto byte = static_cast<unsigned char>(character);
        if (byte == '"' || byte == '\\') {
            m_buffer += '\\';
            m_buffer += character;
        } else if (byte < 0x20 || byte == 0x7f) {
            m_buffer += "\\u00";
            m_buffer += hex[byte >> 4];
            m_buffer += hex[byte & 15];
        } else {
            m_buffer += character;
        }
    }
    m_buffer += '"';
}

void NcduWriter::putNumber(quint64 value)
{
    char digits[24];
    int length = 0;
    do {
        digits[length++] = char('0' + value % 10);
        value /= 10;
    } while (value);
    while (length)
        m_buffer += digits[--length];
}

void NcduWriter::flushIfFull()
{
    if (m_buffer.size() < flushAt || m_failed)
        return;
    if (m_out.write(m_buffer) != m_buffer.size())
        m_failed = true;
    m_buffer.resize(0);
}
