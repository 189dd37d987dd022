// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundactions.h"

#include "dialogs.h"
#include "savefile.h"
#include "soundplayer.h"
#include "wavfile.h"

#include <QAction>
#include <QActionGroup>
#include <QSettings>

namespace {

const QString PitchKey = QStringLiteral("zvuk/vyskaTonuHz");

} // namespace

SoundActions::SoundActions(const Actions &actions, const InputRows &rows, const NumberText &numbers,
                           Dialogs &dialogs, QObject *parent)
    : QObject(parent)
    , m_rows(rows)
    , m_numbers(numbers)
    , m_dialogs(dialogs)
    , m_player(new SoundPlayer(this))
{
    // The form gives them their window-wide keys: Ctrl+1 to Ctrl+4 play, Esc stops.
    for (std::size_t i = 0; i < actions.play.size(); ++i)
        connect(actions.play[i], &QAction::triggered, this,
                [this, i] { play(static_cast<Selection>(i)); });
    connect(actions.stop, &QAction::triggered, this, &SoundActions::stop);
    connect(actions.save, &QAction::triggered, this, &SoundActions::save);
    connect(m_player, &SoundPlayer::failed, this, [this](const QString &reason) {
        m_playing = false;
        m_dialogs.showMessage(QStringLiteral("Zvuk nelze přehrát: %1.").arg(reason));
    });
    setUpPitches(actions.pitches);
}

void SoundActions::setUpPitches(const std::array<QAction *, 4> &pitches)
{
    m_pitches = new QActionGroup(this);
    const int remembered = QSettings().value(PitchKey, DefaultUnitPitchHz).toInt();
    for (std::size_t i = 0; i < pitches.size(); ++i) {
        QAction *pitch = pitches[i];
        pitch->setCheckable(true);
        pitch->setData(UnitPitchesHz[i]);
        pitch->setChecked(UnitPitchesHz[i] == remembered);
        m_pitches->addAction(pitch);
    }
    if (!m_pitches->checkedAction())
        pitches[2]->setChecked(true); // 220 Hz, where nothing valid was remembered.
    connect(m_pitches, &QActionGroup::triggered, this,
            [](QAction *pitch) { QSettings().setValue(PitchKey, pitch->data()); });
}

int SoundActions::unitPitchHz() const
{
    return m_pitches->checkedAction()->data().toInt();
}

std::optional<Synthesis> SoundActions::prepare(Selection selection) const
{
    // The values as they are now; editing a field later changes nothing until the next command.
    const PreparedSound prepared =
        prepareSound(m_rows.texts(), selection, unitPitchHz(), m_numbers);
    if (!prepared.problem.isEmpty()) {
        m_dialogs.showMessage(prepared.problem);
        return std::nullopt;
    }
    return Synthesis(prepared.tones);
}

void SoundActions::play(Selection selection)
{
    m_lastChosen = selection;
    const std::optional<Synthesis> synthesis = prepare(selection);
    if (!synthesis)
        return;
    if (const std::optional<QString> reason = SoundPlayer::whyNoSound()) {
        m_dialogs.showMessage(QStringLiteral("Zvuk nelze přehrát: %1.").arg(*reason));
        return;
    }
    m_player->play(*synthesis, selection);
    m_playing = true;
}

void SoundActions::stop()
{
    m_player->stop();
    m_playing = false;
}

void SoundActions::save()
{
    const std::optional<Synthesis> synthesis = prepare(m_lastChosen);
    if (!synthesis)
        return;
    m_dialogs.save({QStringLiteral("Uložit zvuk"),
                    QStandardPaths::MusicLocation,
                    QStringLiteral("vibraton-zvuk.wav"),
                    {{QStringLiteral("Zvuk WAV (*.wav)"), QStringLiteral("wav")}},
                    QStringLiteral("Zvuk se nepodařilo uložit do souboru „%1“: %2.")},
                   [this, &synthesis](const QString &fileName) {
                       return SaveFile::write(fileName,
                                              WavFile::encode(synthesis->fiveSeconds(m_lastChosen),
                                                              synthesis->sampleRate()));
                   });
}
