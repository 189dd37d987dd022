// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

class QPrinter;
class QWidget;

// Everything the program tells the user or asks of them in a dialog of its own: messages, file
// names and the printer. These are the desktop's own dialogs; the tests stand in for the user
// by overriding them.
class Dialogs
{
public:
    // A kind of file a file dialog offers: its filter ("Obrázek PNG (*.png)") and suffix.
    struct FileKind
    {
        QString filter;
        QString suffix;
    };

    virtual ~Dialogs() = default;

    // The window the dialogs are modal to.
    void setWindow(QWidget *window) { m_window = window; }

    // A modal box titled "Vibraton" with one OK button and no icon; returns once it is closed.
    virtual void showMessage(const QString &text);
    // The file to save to, starting from a suggested one; the first kind is the default, and
    // choosing another turns the typed name's suffix with it. Empty when cancelled.
    virtual QString saveFileName(const QString &title, const QString &suggested,
                                 const QList<FileKind> &kinds);
    // An existing file to open, starting in a folder; the first kind is the default. Empty
    // when cancelled.
    virtual QString openFileName(const QString &title, const QString &folder,
                                 const QList<FileKind> &kinds);
    // Lets the user choose and set up a printer; false when cancelled.
    virtual bool setUpPrinter(QPrinter &printer);

protected:
    QWidget *window() const { return m_window; }

private:
    QWidget *m_window = nullptr;
};
