// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialogs.h"
#include "inputrows.h"
#include "lessonactions.h"
#include "pictureactions.h"
#include "plotter.h"

#include <QLocale>
#include <QWidget>

#include <memory>

class QAccessibleInterface;

namespace Ui {
class Form1;
}

// The program's one window, as designed in form1.ui: three input rows, the five buttons and
// the plot area. It runs the five commands and fits the plot area to its size; whatever else
// the program can do lives in a unit of its own that the window hosts.
//
// The controls and handlers keep the names the window was designed with (Text1, Command2,
// Form_Resize, ...); the README's table says what each one is.
class Form1 : public QWidget, private PictureSource
{
    Q_OBJECT

public:
    // The dialogs are the desktop's own unless others are given (the tests answer them).
    explicit Form1(const QLocale &locale = QLocale(),
                   std::unique_ptr<Dialogs> dialogs = std::make_unique<Dialogs>(),
                   QWidget *parent = nullptr);
    ~Form1() override;

    // The window's font, which its controls inherit.
    static QFont windowFont();
    // Announces the window to assistive technology as a window with its title; install it with
    // QAccessible::installFactory where the application starts.
    static QAccessibleInterface *accessibleInterface(const QString &className, QObject *object);

    // The lesson files' unit, which opens the file given on the command line.
    LessonActions &lessonActions() { return *m_lessonActions; }

public slots:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    PlotSurface &setUpForm();
    void Form_Load();
    void Form_Resize();
    void dockStatusStrip();
    void connectButtons();
    // The frame around the window as the margins count it, in pixels.
    QMargins frameToCount() const;
    InputRows inputRows() const;
    void plotRow(std::size_t row);

    bool hasPicture() const override;
    QImage picture() const override;
    QRect visiblePlotArea() const;

    std::unique_ptr<Ui::Form1> m_ui;
    std::unique_ptr<Dialogs> m_dialogs;
    Plotter m_plotter;
    InputRows m_rows;
    PictureActions *m_pictureActions = nullptr;
    LessonActions *m_lessonActions = nullptr;
};
