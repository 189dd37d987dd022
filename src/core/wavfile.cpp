// SPDX-License-Identifier: GPL-3.0-or-later
#include "wavfile.h"

namespace {

constexpr std::uint32_t HeaderBytes = 44;
constexpr std::uint16_t PcmFormat = 1;
constexpr std::uint16_t Channels = 1;
constexpr std::uint16_t BitsPerSample = 16;
constexpr std::uint16_t BytesPerSample = BitsPerSample / 8;

void appendLittleEndian(QByteArray &data, std::uint32_t value, int bytes)
{
    for (int byte = 0; byte < bytes; ++byte)
        data.append(char((value >> (8 * byte)) & 0xff));
}

void append16(QByteArray &data, std::uint16_t value)
{
    appendLittleEndian(data, value, 2);
}

void append32(QByteArray &data, std::uint32_t value)
{
    appendLittleEndian(data, value, 4);
}

} // namespace

QByteArray WavFile::encode(std::span<const std::int16_t> samples, int sampleRate)
{
    const auto dataBytes = std::uint32_t(samples.size() * BytesPerSample);
    QByteArray data;
    data.reserve(qsizetype(HeaderBytes + dataBytes));
    data.append("RIFF");
    append32(data, HeaderBytes - 8 + dataBytes);
    data.append("WAVE");
    data.append("fmt ");
    append32(data, 16); // The format chunk's size.
    append16(data, PcmFormat);
    append16(data, Channels);
    append32(data, std::uint32_t(sampleRate));
    append32(data, std::uint32_t(sampleRate) * Channels * BytesPerSample); // Bytes per second.
    append16(data, Channels * BytesPerSample);                             // Bytes per frame.
    append16(data, BitsPerSample);
    data.append("data");
    append32(data, dataBytes);
    for (const std::int16_t sample : samples)
        append16(data, std::uint16_t(sample));
    return data;
}
