#include "exchange/gzip_device.h"

#include <zlib.h>

struct GzipDevice::Stream {
    z_stream zlib{};
};

GzipDevice::GzipDevice(QIODevice &compressed)
    : m_compressed(compressed)
    , m_stream(std::make_unique<Stream>())
{
    // 16 + the largest window: gzip's header and trailer, any window size.
    if (inflateInit2(&m_stream->zlib, 16 + MAX_WBITS) != Z_OK)
        throw std::bad_alloc();
}

GzipDevice::~GzipDevice()
{
    inflateEnd(&m_stream->zlib);
}

bool GzipDevice::holdsGzip(QIODevice &device)
{
    return device.peek(2) == QByteArrayView("\x1f\x8b");
}

qint64 GzipDevice::readData(char *data, qint64 maxSize)
{
    z_stream &zlib = m_stream->zlib;
    zlib.next_out = reinterpret_cast<Bytef *>(data);
    zlib.avail_out = uInt(std::min<qint64>(maxSize, 1 << 30));
    while (zlib.avail_out > 0) {
        if (zlib.avail_in == 0 && !m_inputEnded) {
            m_input.resize(1 << 16);
            const qint64 read = m_compressed.read(m_input.data(), m_input.size());
            if (read < 0)
                return fail({QStringLiteral("読み込みエラー（%1）").arg(m_compressed.errorString()),
                             QStringLiteral("a read error (%1)").arg(m_compressed.errorString())});
            m_inputEnded = read == 0;
            zlib.next_in = reinterpret_cast<Bytef *>(m_input.data());
            zlib.avail_in = uInt(read);
        }
        if (zlib.avail_in == 0 && m_inputEnded) {
            if (!m_memberEnded)
                return fail({QStringLiteral("途中で切れた gzip のデータ"), QStringLiteral("gzip data cut short")});
            break;
        }
        // Another member follows the one that ended, as `cat a.gz b.gz` makes.
        if (m_memberEnded) {
            inflateReset(&zlib);
            m_memberEnded = false;
        }
        const int result = inflate(&zlib, Z_NO_FLUSH);
        if (result == Z_STREAM_END)
            m_memberEnded = true;
        else if (result == Z_MEM_ERROR)
            throw std::bad_alloc();
        else if (result != Z_OK && result != Z_BUF_ERROR)
            return fail({QStringLiteral("壊れた gzip のデータ"), QStringLiteral("damaged gzip data")});
    }
    return qint64(reinterpret_cast<char *>(zlib.next_out) - data);
}

qint64 GzipDevice::fail(NcduFormat::Wording fault)
{
    setErrorString(fault.english);
    m_fault = std::move(fault);
    return -1;
}
