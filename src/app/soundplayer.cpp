// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundplayer.h"

#ifdef VIBRATON_SOUND

#include <QAudioDevice>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// What the sound server holds ahead of what is heard: enough to ride out a busy moment (with
// 100 ms, a machine loaded with a compiler on each core let the sound drop out), short enough
// that stopping is prompt.
constexpr int BufferMilliseconds = 200;

// The samples the sound output pulls: the sound being played, and once it has faded out the
// one that replaces it, from its own first sample.
class SampleSource : public QIODevice
{
public:
    using QIODevice::QIODevice;

    struct Sound
    {
        Synthesis synthesis;
        Selection selection;
    };

    void play(const Sound &sound)
    {
        if (!m_playing) {
            begin(sound);
            return;
        }
        m_next = sound; // After the present one has faded out.
        fadeOut();
    }

    void fadeOut()
    {
        if (m_playing)
            m_fadeOutStart = std::min(m_fadeOutStart, m_position);
    }

    // Whether nothing but silence is left to give.
    bool isSilent() const { return !m_playing; }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return std::numeric_limits<int>::max(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        std::span<std::int16_t> out(reinterpret_cast<std::int16_t *>(data),
                                    std::size_t(maxSize / 2));
        std::size_t done = 0;
        while (done < out.size()) {
            if (!m_playing) {
                std::fill(out.begin() + qsizetype(done), out.end(), std::int16_t(0));
                break;
            }
            if (fadedOut()) {
                m_playing.reset();
                if (m_next)
                    begin(*std::exchange(m_next, std::nullopt));
                continue;
            }
            std::size_t count = out.size() - done;
            if (m_fadeOutStart != Synthesis::NoFadeOut)
                count = std::min<std::size_t>(count, std::size_t(fadeOutEnd() - m_position));
            m_playing->synthesis.render(m_playing->selection, m_position, out.subspan(done, count),
                                        m_fadeOutStart);
            m_position += std::int64_t(count);
            done += count;
        }
        return qint64(out.size() * 2);
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    void begin(const Sound &sound)
    {
        m_playing = sound;
        m_position = 0;
        m_fadeOutStart = Synthesis::NoFadeOut;
    }
    std::int64_t fadeOutEnd() const { return m_fadeOutStart + m_playing->synthesis.fadeLength(); }
    bool fadedOut() const
    {
        return m_fadeOutStart != Synthesis::NoFadeOut && m_position >= fadeOutEnd();
    }

    std::optional<Sound> m_playing;
    std::optional<Sound> m_next;
    std::int64_t m_position = 0;
    std::int64_t m_fadeOutStart = Synthesis::NoFadeOut;
};

QAudioFormat formatFor(int sampleRate)
{
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

} // namespace

// The sound output and its samples, on the player's thread.
class SoundStream : public QObject
{
    Q_OBJECT

public:
    void play(const SampleSource::Sound &sound)
    {
        m_silenceCheck.stop();
        if (!m_sink || m_sink->format().sampleRate() != sound.synthesis.sampleRate())
            openSink(sound.synthesis.sampleRate());
        m_source.play(sound);
        if (m_sink->state() == QAudio::StoppedState || m_sink->state() == QAudio::IdleState)
            m_sink->start(&m_source);
        m_silenceCheck.start();
    }

    void stop() { m_source.fadeOut(); }

signals:
    void failed(const QString &reason);

private:
    void openSink(int sampleRate)
    {
        m_sink = std::make_unique<QAudioSink>(QMediaDevices::defaultAudioOutput(),
                                              formatFor(sampleRate));
        m_sink->setBufferSize(sampleRate * 2 * BufferMilliseconds / 1000);
        m_source.open(QIODevice::ReadOnly);
        connect(m_sink.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
            if (state == QAudio::StoppedState && m_sink->error() != QAudio::NoError)
                emit failed(QStringLiteral("zvukový výstup přestal pracovat"));
        });
        // Once the sound has faded out and the server has played what it held, the output is
        // closed, so the sound device is free again.
        m_silenceCheck.setInterval(2 * BufferMilliseconds);
        connect(&m_silenceCheck, &QTimer::timeout, this, [this] {
            if (!m_source.isSilent())
                return;
            if (!m_silentOnce) {
                m_silentOnce = true; // What the server holds is still being played.
                return;
            }
            m_silentOnce = false;
            m_silenceCheck.stop();
            m_sink->stop();
        });
    }

    // Children, so that they move to the player's thread with the stream.
    SampleSource m_source{this};
    std::unique_ptr<QAudioSink> m_sink;
    QTimer m_silenceCheck{this};
    bool m_silentOnce = false;
};

SoundPlayer::SoundPlayer(QObject *parent)
    : QObject(parent)
    , m_thread(new QThread(this))
    , m_stream(new SoundStream)
{
    m_stream->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_stream, &QObject::deleteLater);
    connect(m_stream, &SoundStream::failed, this, &SoundPlayer::failed);
    m_thread->start();
}

SoundPlayer::~SoundPlayer()
{
    // The sound fades out before the output closes, so closing the window doesn't click.
    if (m_played) {
        stop();
        QThread::msleep(BufferMilliseconds + 50);
    }
    m_thread->quit();
    m_thread->wait();
}

std::optional<QString> SoundPlayer::whyNoSound()
{
    if (QMediaDevices::defaultAudioOutput().isNull())
        return QStringLiteral("v počítači není k dispozici žádný zvukový výstup");
    return std::nullopt;
}

void SoundPlayer::play(const Synthesis &synthesis, Selection selection)
{
    m_played = true;
    QMetaObject::invokeMethod(
        m_stream, [stream = m_stream, sound = SampleSource::Sound{synthesis, selection}] {
            stream->play(sound);
        });
}

void SoundPlayer::stop()
{
    QMetaObject::invokeMethod(m_stream, [stream = m_stream] { stream->stop(); });
}

#include "soundplayer.moc"

#else // A build without Qt Multimedia.

SoundPlayer::SoundPlayer(QObject *parent)
    : QObject(parent)
{}

SoundPlayer::~SoundPlayer() = default;

std::optional<QString> SoundPlayer::whyNoSound()
{
    return QStringLiteral("tato verze programu zvuk neumí");
}

void SoundPlayer::play(const Synthesis &, Selection) {}

void SoundPlayer::stop() {}

#endif
