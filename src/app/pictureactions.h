// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QObject>

class Dialogs;
class QAction;

// Where the picture actions take the picture from: the plot area as the user sees it.
class PictureSource
{
public:
    virtual ~PictureSource() = default;
    // Whether any of the plot area can be seen at all.
    virtual bool hasPicture() const = 0;
    // The part the user sees, at the screen's device resolution.
    virtual QImage picture() const = 0;
};

// The plot area's menu: copying, saving and printing the picture. The actions themselves are
// declared in the window's form; this gives them their work.
class PictureActions : public QObject
{
    Q_OBJECT

public:
    PictureActions(QAction *copy, QAction *save, QAction *print, const PictureSource &source,
                   Dialogs &dialogs, QObject *parent = nullptr);

    // An area too small to show anything has no picture to take: its actions are disabled.
    void enableForPicture();

    void copyPicture() const;
    void savePicture() const;
    void printPicture() const;

private:
    QList<QAction *> m_actions;
    const PictureSource &m_source;
    Dialogs &m_dialogs;
};
