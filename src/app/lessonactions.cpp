// SPDX-License-Identifier: GPL-3.0-or-later
#include "lessonactions.h"

#include "dialogs.h"
#include "lastfolder.h"
#include "lessonexamples.h"
#include "savefile.h"

#include <QAction>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>

namespace {

const Dialogs::FileKind LessonKind{QStringLiteral("Hodnoty Vibratonu (*.vibraton)"),
                                   LessonFile::Suffix};
const QString SuggestedName = QStringLiteral("vibraton-hodnoty.") + LessonFile::Suffix;

} // namespace

LessonActions::LessonActions(const Parts &parts, Dialogs &dialogs, QObject *parent)
    : QObject(parent)
    , m_parts(parts)
    , m_dialogs(dialogs)
{
    // The platform's own key sequence, which a form can't name.
    parts.open->setShortcuts(QKeySequence::Open);
    connect(parts.open, &QAction::triggered, this, &LessonActions::chooseAndOpen);
    connect(parts.save, &QAction::triggered, this, &LessonActions::save);
    addExamples(parts.examples);
    parts.window->setAcceptDrops(true);
    parts.window->installEventFilter(this);
    // A field takes dropped text, but a dropped lesson file opens wherever it lands.
    for (QLineEdit *field : parts.rows.fields())
        field->installEventFilter(this);
}

void LessonActions::addExamples(QMenu *examples)
{
    examples->setToolTipsVisible(true);
    for (const LessonExample &example : lessonExamples()) {
        QAction *action = examples->addAction(example.lesson.title);
        action->setToolTip(example.description);
        const Lesson lesson = example.lesson;
        connect(action, &QAction::triggered, this, [this, lesson] { fill(lesson); });
    }
}

void LessonActions::fill(const Lesson &lesson)
{
    m_parts.rows.setTexts(lesson.rows);
    m_title = lesson.title;
}

bool LessonActions::open(const std::filesystem::path &fileName)
{
    const LessonFile::Reading reading = LessonFile::read(fileName);
    if (!reading.lesson) {
        m_dialogs.showMessage(QStringLiteral("Hodnoty se nepodařilo načíst ze souboru „%1“: %2.")
                                  .arg(LessonFile::shownName(fileName), reading.reason));
        return false;
    }
    fill(*reading.lesson);
    m_parts.envelope->setChecked(reading.lesson->envelope);
    return true;
}

void LessonActions::openSoon(const std::filesystem::path &fileName)
{
    QMetaObject::invokeMethod(
        this, [this, fileName] { open(fileName); }, Qt::QueuedConnection);
}

void LessonActions::chooseAndOpen()
{
    const QDir folder = LastFolder::folder(QStandardPaths::DocumentsLocation);
    const QString fileName =
        m_dialogs.openFileName(QStringLiteral("Otevřít hodnoty"), folder.path(),
                               {LessonKind, {QStringLiteral("Všechny soubory (*)"), QString()}});
    if (!fileName.isEmpty() && open(LessonFile::systemName(fileName)))
        LastFolder::remember(fileName);
}

void LessonActions::save() const
{
    // A file over the limit could never be opened again, so none is written.
    const QByteArray data =
        LessonFile::encode({m_title, m_parts.rows.texts(), m_parts.envelope->isChecked()});
    if (data.size() > LessonFile::MaximumSize) {
        m_dialogs.showMessage(QStringLiteral("Hodnoty nelze uložit: texty v polích jsou tak "
                                             "dlouhé, že by soubor byl větší než 1 MB a nešel by "
                                             "znovu otevřít."));
        return;
    }
    m_dialogs.save({QStringLiteral("Uložit hodnoty"),
                    QStandardPaths::DocumentsLocation,
                    SuggestedName,
                    {LessonKind},
                    QStringLiteral("Hodnoty se nepodařilo uložit do souboru „%1“: %2.")},
                   [&data](const QString &fileName) { return SaveFile::write(fileName, data); });
}

QString LessonActions::draggedFile(const QMimeData *data)
{
    const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return QString();
    return urls.first().toLocalFile();
}

bool LessonActions::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (draggedFile(drag->mimeData()).isEmpty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QString fileName = draggedFile(drop->mimeData());
        if (fileName.isEmpty())
            return false;
        drop->acceptProposedAction();
        // Once the drop is over: the file's message must not hold up the dragging program.
        openSoon(LessonFile::systemName(fileName));
        return true;
    }
    default:
        return false;
    }
}
