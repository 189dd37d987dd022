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

// The three texts of a row's fields, in the order of the form's fields.
constexpr std::array RowTexts = {&OscillationTexts::frequency, &OscillationTexts::phase,
                                 &OscillationTexts::amplitude};

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
    for (QLineEdit *field : parts.fields)
        field->installEventFilter(this);
}

void LessonActions::addExamples(QMenu *examples)
{
    examples->setToolTipsVisible(true);
    for (const LessonExample &example : lessonExamples()) {
        QAction *action = examples->addAction(example.lesson.title);
        action->setToolTip(example.description);
        const Lesson lesson = example.lesson;
        connect(action, &QAction::triggered, this, [this, lesson] { fillFields(lesson); });
    }
}

void LessonActions::fillFields(const Lesson &lesson)
{
    for (std::size_t row = 0; row < lesson.rows.size(); ++row) {
        for (std::size_t column = 0; column < RowTexts.size(); ++column)
            m_parts.fields[row * 3 + column]->setText(lesson.rows[row].*RowTexts[column]);
    }
}

Lesson LessonActions::typedLesson() const
{
    Lesson lesson;
    for (std::size_t row = 0; row < lesson.rows.size(); ++row) {
        for (std::size_t column = 0; column < RowTexts.size(); ++column)
            lesson.rows[row].*RowTexts[column] = m_parts.fields[row * 3 + column]->text();
    }
    return lesson;
}

bool LessonActions::open(const QString &fileName)
{
    const LessonFile::Reading reading = LessonFile::read(fileName);
    if (!reading.lesson) {
        m_dialogs.showMessage(QStringLiteral("Hodnoty se nepodařilo načíst ze souboru „%1“: %2.")
                                  .arg(QDir::toNativeSeparators(fileName), reading.reason));
        return false;
    }
    fillFields(*reading.lesson);
    return true;
}

void LessonActions::chooseAndOpen()
{
    const QDir folder = LastFolder::folder(QStandardPaths::DocumentsLocation);
    const QString fileName =
        m_dialogs.openFileName(QStringLiteral("Otevřít hodnoty"), folder.path(),
                               {LessonKind, {QStringLiteral("Všechny soubory (*)"), QString()}});
    if (!fileName.isEmpty() && open(fileName))
        LastFolder::remember(fileName);
}

void LessonActions::save() const
{
    // A file over the limit could never be opened again, so none is written.
    const QByteArray data = LessonFile::encode(typedLesson());
    if (data.size() > LessonFile::MaximumSize) {
        m_dialogs.showMessage(QStringLiteral("Hodnoty nelze uložit: texty v polích jsou tak "
                                             "dlouhé, že by soubor byl větší než 1 MB a nešel by "
                                             "znovu otevřít."));
        return;
    }
    const QDir folder = LastFolder::folder(QStandardPaths::DocumentsLocation);
    const QString fileName = m_dialogs.saveFileName(QStringLiteral("Uložit hodnoty"),
                                                    folder.filePath(SuggestedName), {LessonKind});
    if (fileName.isEmpty())
        return;
    if (const std::optional<QString> failure = SaveFile::write(fileName, data))
        m_dialogs.showMessage(QStringLiteral("Hodnoty se nepodařilo uložit do souboru „%1“: %2.")
                                  .arg(QDir::toNativeSeparators(fileName), *failure));
    else
        LastFolder::remember(fileName);
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
        QMetaObject::invokeMethod(
            this, [this, fileName] { open(fileName); }, Qt::QueuedConnection);
        return true;
    }
    default:
        return false;
    }
}
