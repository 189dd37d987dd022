// SPDX-License-Identifier: GPL-3.0-or-later
// The sound output through Qt Multimedia: the module the player loads when a sound is first
// played.
#include "sounddevice.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>
#include <type_traits>
#include <vector>

namespace {

// What the output is given for the player's 16-bit mono. Windows mixes every stream in 32-bit
// float, stereo at 48 kHz on most machines: a sink in that format goes to the device as it is,
// where any other goes through Media Foundation's resampler, and Wine's converts rates only (a
// 16-bit mono sink plays nothing there). Elsewhere the sound server converts.
#ifdef Q_OS_WIN
using OutputSample = float;
constexpr int OutputChannels = 2;
#else
using OutputSample = std::int16_t;
constexpr int OutputChannels = 1;
#endif
constexpr qsizetype OutputFrameBytes = qsizetype(sizeof(OutputSample)) * OutputChannels;
constexpr qsizetype PlayerSampleBytes = sizeof(std::int16_t);

QAudioFormat outputFormat(int sampleRate)
{
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(OutputChannels);
    format.setSampleFormat(std::is_same_v<OutputSample, float> ? QAudioFormat::Float
                                                               : QAudioFormat::Int16);
    return format;
}

// The player's bytes of 16-bit mono as the output's bytes, and back (whole frames).
qsizetype outputBytes(qsizetype playerBytes)
{
    return playerBytes / PlayerSampleBytes * OutputFrameBytes;
}
qsizetype playerBytes(qsizetype outputBytes)
{
    return outputBytes / OutputFrameBytes * PlayerSampleBytes;
}

class MultimediaSoundDevice final : public SoundDevice
{
public:
    ~MultimediaSoundDevice() override { close(); }

    bool open(int sampleRate, qsizetype heldBytes) override
    {
        close();
        // A new QAudioSink for every stream. Qt keeps the buffer size PulseAudio granted a
        // stream and asks for only that when the same sink starts again, and PulseAudio grants
        // about half of what is asked (tlength = asked / 2 + minreq): a sink restarted a few
        // times ends with a buffer under Qt's 20 ms period and plays nothing at all.
        m_sink = std::make_unique<QAudioSink>(QMediaDevices::defaultAudioOutput(),
                                              outputFormat(sampleRate));
        m_sink->setBufferSize(outputBytes(heldBytes));
        // Pushed rather than pulled: Qt pulls a period every 20 ms, the first one 20 ms after
        // the start and far ahead of what is heard; pushed samples reach the server at once,
        // and no more of them than it asks for.
        m_samples = m_sink->start();
        if (!m_samples || failed()) {
            close();
            return false;
        }
        return true;
    }

    qsizetype bytesFree() override
    {
        // A stream the server dropped has no size to take (Qt says -1), or Qt has stopped it.
        if (!m_sink || failed())
            return -1;
        const qsizetype free = m_sink->bytesFree();
        return free < 0 ? -1 : playerBytes(free);
    }

    void write(std::span<const std::int16_t> samples) override
    {
        if (!m_samples)
            return;
        if constexpr (std::is_same_v<OutputSample, std::int16_t> && OutputChannels == 1) {
            m_samples->write(reinterpret_cast<const char *>(samples.data()),
                             qint64(samples.size_bytes()));
        } else {
            // Full scale to full scale, the same sample in every channel.
            m_frames.resize(samples.size() * OutputChannels);
            auto frame = m_frames.begin();
            for (const std::int16_t sample : samples)
                frame = std::fill_n(frame, OutputChannels, OutputSample(sample) / 32768);
            m_samples->write(reinterpret_cast<const char *>(m_frames.data()),
                             qint64(m_frames.size() * sizeof(OutputSample)));
        }
    }

    void close() override
    {
        if (!m_sink)
            return;
        m_samples = nullptr;
        m_sink->stop();
        // Deleted from the event loop: its destructor processes pending events, which would
        // otherwise run the player's next command in the middle of this one.
        m_sink.release()->deleteLater();
    }

private:
    bool failed() const
    {
        const QAudio::Error error = m_sink->error();
        if (error == QAudio::OpenError || error == QAudio::IOError || error == QAudio::FatalError)
            return true;
#ifdef Q_OS_WIN
        // Qt 6.4's Windows sink reports no error when its device goes away (the sound server
        // under Wine ended, headphones unplugged): it takes nothing any more, and runs dry.
        return error == QAudio::UnderrunError && m_sink->bytesFree() == 0;
#else
        return false;
#endif
    }

    std::unique_ptr<QAudioSink> m_sink;
    QIODevice *m_samples = nullptr; // Owned by m_sink.
    std::vector<OutputSample> m_frames;
};

class MultimediaSoundModule final : public SoundModule
{
public:
    bool hasOutput() override { return !QMediaDevices::defaultAudioOutput().isNull(); }
    std::unique_ptr<SoundDevice> createDevice() override
    {
        return std::make_unique<MultimediaSoundDevice>();
    }
};

} // namespace

extern "C" Q_DECL_EXPORT SoundModule *vibratonSoundModule()
{
    static MultimediaSoundModule module;
    return &module;
}
