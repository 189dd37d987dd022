// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "inputrows.h"
#include "lessonfile.h"

#include <QObject>

class Dialogs;
class QAction;
class QMenu;
class QMimeData;
class QWidget;

// The menu "Hodnoty": the nine values of the three rows opened from a lesson file, saved to
// one, or filled in from a classic example. A lesson file dropped onto the window opens too.
// The menus and actions are declared in the window's form; this gives them their work.
// Opening fills the fields and nothing else: the picture stays until the user plots.
class LessonActions : public QObject
{
    Q_OBJECT

public:
    // What the unit works with in the window.
    struct Parts
    {
        QAction *open;
        QAction *save;
        QMenu *examples; // "Příklady", filled here from the examples' table.
        QWidget *window; // Takes dropped files.
        InputRows rows;
        QAction *envelope; // "Obálka složení", which a lesson file keeps.
    };

    LessonActions(const Parts &parts, Dialogs &dialogs, QObject *parent = nullptr);

    // Fills the fields from the file, all or nothing; an unusable file gets a message and
    // gives false. The name is the system's own (on Linux bytes that need not be UTF-8).
    bool open(const std::filesystem::path &fileName);
    // Opens the file once the program waits for the user, so that a message about a file that
    // can't be used stands over the shown window, as with a file given on the command line.
    void openSoon(const std::filesystem::path &fileName);
    // Lets the user choose a file, then opens it.
    void chooseAndOpen();
    // Saves the nine texts with the title of the lesson or example the fields were last
    // filled from, if it had one.
    void save() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addExamples(QMenu *examples);
    void fill(const Lesson &lesson);
    // The one local file being dragged, or nothing.
    static QString draggedFile(const QMimeData *data);

    Parts m_parts;
    Dialogs &m_dialogs;
    // The title of the lesson the fields were last filled from. Editing a field keeps it: the
    // lesson is still the one being prepared.
    QString m_title;
};
