#pragma once

#include "exchange/ncdu_format.h"

#include <QIODevice>

#include <memory>

// Reads what another device holds compressed with gzip, as `zcat` does: member after
// member, a buffer at a time.
class GzipDevice final : public QIODevice
{
public:
    explicit GzipDevice(QIODevice &compressed);
    ~GzipDevice() override;

    // Whether a device, read from its start, begins as gzip does; it reads nothing.
    static bool holdsGzip(QIODevice &device);

    bool isSequential() const override { return true; }

    // After a failed read: what was wrong with the compressed data, if that was it.
    const NcduFormat::Wording &fault() const { return m_fault; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    qint64 fail(NcduFormat::Wording fault);

    struct Stream;
    QIODevice &m_compressed;
    std::unique_ptr<Stream> m_stream;
    QByteArray m_input;
    bool m_inputEnded = false;
    bool m_memberEnded = false;
    NcduFormat::Wording m_fault;
};
