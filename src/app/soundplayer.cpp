// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundplayer.h"

#include "sounddevice.h"
#include "soundfeed.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLibrary>
#include <QSemaphore>
#include <QThread>
#include <QTimer>

#include <memory>
#include <vector>

#ifdef Q_OS_LINUX
#include <sched.h>
#endif

namespace {

const QString NoOutput = QStringLiteral("v počítači není k dispozici žádný zvukový výstup");
const QString StoppedWorking = QStringLiteral("zvukový výstup přestal pracovat");
const QString NoSoundModule = QStringLiteral("tato verze programu zvuk neumí");

// What the sound server is asked to hold. PulseAudio keeps about three quarters of it in the
// stream (tlength = asked / 2 + minreq, minreq = asked / 4), where a stop can't reach it, and
// the rest in the device: a stop fades out after at most that much, and so does a new sound.
// With the thread at a real-time priority, enough for a machine with every core busy.
constexpr int HeldMilliseconds = 40;
// Silence handed over after the last sound before the stream closes: what the server held,
// and a little more, so that closing cuts nothing that was still to be heard.
constexpr int TrailMilliseconds = HeldMilliseconds + 10;
// The stream is topped up this often, well within the quarter the server asks for at a time.
constexpr int TopUpMilliseconds = 5;
// Qt connects to the sound server again three seconds after it went away: a play command waits
// that long for it, trying every so often, before saying that there is no output.
constexpr int ReconnectMilliseconds = 3500;
constexpr int RetryMilliseconds = 200;
// Closing the window waits at most this long for the sound to fade out and be heard.
constexpr int ClosingMilliseconds = 400;
// The first question to the sound thread loads the module and connects to the server.
constexpr int AnswerMilliseconds = 5000;

int bytesFor(int milliseconds, int sampleRate)
{
    return sampleRate * 2 * milliseconds / 1000;
}

// Real-time round robin where the system allows it (as root, or with a real-time limit), so
// that the stream is topped up in time with every core busy; children don't inherit it.
void raiseThreadPriority()
{
#ifdef Q_OS_LINUX
    sched_param lowest{};
    lowest.sched_priority = sched_get_priority_min(SCHED_RR);
    if (sched_setscheduler(0, SCHED_RR | SCHED_RESET_ON_FORK, &lowest) == 0)
        return;
#endif
    QThread::currentThread()->setPriority(QThread::TimeCriticalPriority);
}

QThread *soundThread = nullptr;

// The thread all sound output runs on, started when a sound is first wanted and ended with the
// application, and the module it plays through. Qt's connection to the sound server belongs to
// the thread that first asks for a device, so all of it, its failures and reconnecting
// included, happens on this one thread, in turn with the streams.
class SoundThread : public QObject
{
public:
    static SoundThread *instance()
    {
        static SoundThread *const self = start();
        return self;
    }

    // Loaded on first use; nothing where it is missing.
    SoundModule *module()
    {
        if (!m_loaded) {
            m_loaded = true;
            m_module = load();
        }
        return m_module;
    }

    std::optional<QString> whyNoOutput()
    {
        if (!module())
            return NoSoundModule;
        if (!m_module->hasOutput())
            return NoOutput;
        return std::nullopt;
    }

private:
    static SoundThread *start()
    {
        soundThread = new QThread;
        soundThread->setObjectName(QStringLiteral("vibraton-zvuk"));
        auto *self = new SoundThread;
        self->moveToThread(soundThread);
        QObject::connect(soundThread, &QThread::finished, self, &QObject::deleteLater);
        soundThread->start();
        QMetaObject::invokeMethod(self, [] { raiseThreadPriority(); });
        qAddPostRoutine([] {
            soundThread->quit();
            if (soundThread->wait(QDeadlineTimer(ClosingMilliseconds)))
                delete soundThread; // Else left to the end of the process: it is stuck in Qt.
        });
        return self;
    }

    // Beside the program (a build), or in its library folder (installed).
    static SoundModule *load()
    {
        const QString programFolder = QCoreApplication::applicationDirPath();
        for (const QString &folder :
             {programFolder, programFolder + QStringLiteral("/" VIBRATON_SOUND_MODULE_DIR)}) {
            QLibrary library(folder + QStringLiteral("/vibraton_sound"));
            library.setLoadHints(QLibrary::PreventUnloadHint);
            using Entry = SoundModule *(*)();
            if (const auto entry = reinterpret_cast<Entry>(library.resolve("vibratonSoundModule")))
                return entry();
        }
        return nullptr;
    }

    bool m_loaded = false;
    SoundModule *m_module = nullptr;
};

} // namespace

// One player's stream and what it is handed, on the sound thread. The stream is opened afresh
// for each sound that starts from silence, and closed once all has faded out and been heard.
class SoundStream : public QObject
{
    Q_OBJECT

public:
    SoundStream()
    {
        m_topUp.setTimerType(Qt::PreciseTimer);
        m_topUp.setInterval(TopUpMilliseconds);
        connect(&m_topUp, &QTimer::timeout, this, &SoundStream::topUp);
        m_retry.setSingleShot(true);
        m_retry.setInterval(RetryMilliseconds);
        connect(&m_retry, &QTimer::timeout, this, &SoundStream::open);
    }

    void play(const SoundFeed::Sound &sound)
    {
        m_reconnecting = QDeadlineTimer(ReconnectMilliseconds);
        if (m_feed.play(sound)) {
            m_sampleRate = sound.synthesis.sampleRate();
            open();
        }
        topUp();
    }

    void stop()
    {
        m_feed.stop();
        if (m_retry.isActive())
            close(); // Nothing was heard yet.
        else
            topUp();
    }

    // Fades out, then closes the stream and releases finished.
    void finish(const std::shared_ptr<QSemaphore> &finished)
    {
        m_finished = finished;
        stop();
        if (!m_topUp.isActive())
            close(); // Nothing is heard, or will be.
    }

signals:
    void failed(const QString &reason);

private:
    void open()
    {
        SoundModule *module = SoundThread::instance()->module();
        if (!m_device && module)
            m_device = module->createDevice();
        if (m_device && m_device->open(m_sampleRate, bytesFor(HeldMilliseconds, m_sampleRate))) {
            m_buffer.resize(std::size_t(m_sampleRate)); // A second: more than is ever asked for.
            m_topUp.start();
            return;
        }
        if (!m_device || m_reconnecting.hasExpired()) {
            close();
            emit failed(m_device ? NoOutput : NoSoundModule);
            return;
        }
        m_retry.start();
    }

    void topUp()
    {
        if (!m_topUp.isActive())
            return;
        const qsizetype bytes = m_device->bytesFree();
        if (bytes < 0) {
            close();
            emit failed(StoppedWorking);
            return;
        }
        const std::span samples(m_buffer.data(), std::min(std::size_t(bytes / 2), m_buffer.size()));
        if (!samples.empty()) {
            m_feed.render(samples);
            m_device->write(samples);
        }
        if (m_feed.mayClose())
            close();
    }

    void close()
    {
        m_topUp.stop();
        m_retry.stop();
        if (m_device)
            m_device->close();
        m_feed.closed();
        if (m_finished)
            std::exchange(m_finished, nullptr)->release();
    }

    SoundFeed m_feed{std::int64_t(DefaultSampleRate) * TrailMilliseconds / 1000};
    std::unique_ptr<SoundDevice> m_device;
    int m_sampleRate = DefaultSampleRate;
    std::vector<std::int16_t> m_buffer;
    QDeadlineTimer m_reconnecting;
    std::shared_ptr<QSemaphore> m_finished;
    // Children, so that they move to the sound thread with the stream.
    QTimer m_topUp{this};
    QTimer m_retry{this};
};

SoundPlayer::SoundPlayer(QObject *parent)
    : QObject(parent)
{}

SoundPlayer::~SoundPlayer()
{
    if (!m_stream)
        return;
    // The sound fades out and what the server held is heard before the stream closes, so
    // closing the window doesn't click.
    const auto finished = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(m_stream,
                              [stream = m_stream, finished] { stream->finish(finished); });
    finished->tryAcquire(1, ClosingMilliseconds);
    m_stream->deleteLater();
}

std::optional<QString> SoundPlayer::whyNoSound()
{
    // Asked on the sound thread, where the connection to the sound server lives.
    const auto answer = std::make_shared<std::optional<QString>>(NoOutput);
    const auto answered = std::make_shared<QSemaphore>();
    SoundThread *sound = SoundThread::instance();
    QMetaObject::invokeMethod(sound, [sound, answer, answered] {
        *answer = sound->whyNoOutput();
        answered->release();
    });
    if (!answered->tryAcquire(1, AnswerMilliseconds))
        return NoOutput;
    return *answer;
}

void SoundPlayer::play(const Synthesis &synthesis, Selection selection)
{
    SoundStream *target = stream();
    QMetaObject::invokeMethod(
        target, [target, sound = SoundFeed::Sound{synthesis, selection}] { target->play(sound); });
}

void SoundPlayer::stop()
{
    if (m_stream)
        QMetaObject::invokeMethod(m_stream, [stream = m_stream] { stream->stop(); });
}

SoundStream *SoundPlayer::stream()
{
    if (!m_stream) {
        m_stream = new SoundStream;
        m_stream->moveToThread(SoundThread::instance()->thread());
        connect(m_stream, &SoundStream::failed, this, &SoundPlayer::failed);
    }
    return m_stream;
}

#include "soundplayer.moc"
