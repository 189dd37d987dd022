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
    };

    LessonActions(const Parts &parts, Dialogs &dialogs, QObject *parent = nullptr);

    // Fills the fields from the file, all or nothing; an unusable file gets a message and
    // gives false.
    bool open(const QString &fileName);
    // Lets the user choose a file, then opens it.
    void chooseAndOpen();
    void save() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addExamples(QMenu *examples);
    // The one local file being dragged, or nothing.
    static QString draggedFile(const QMimeData *data);

    Parts m_parts;
    Dialogs &m_dialogs;
};
