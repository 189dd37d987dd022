// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "plotter.h"
#include "ui_form1.h"

#include <QLocale>
#include <QWidget>

#include <array>
#include <functional>

class QAccessibleInterface;
class QPrinter;

// The program's one window: three input rows, the buttons and the plot area, as laid out in
// form1.ui.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    // Lengths of the design are in units of 1/1440 inch: 15 to a logical pixel at 96 dpi.
    static constexpr int UnitsPerPixel = 15;
    // The frame assumed where the platform reports none, in units: 60 at the left, right and
    // bottom, 345 at the top with the caption bar.
    static constexpr QMargins DesignFrame{60, 345, 60, 60};
    // What the plot area leaves of the window's outer size, in units.
    static constexpr QSize PlotAreaMargins{135, 2535};

    explicit Form1(const QLocale &locale = QLocale(), QWidget *parent = nullptr);

    // The window's font, which its controls inherit.
    static QFont windowFont();
    // Announces the window to assistive technology as a window with its title; install it with
    // QAccessible::installFactory where the application starts.
    static QAccessibleInterface *accessibleInterface(const QString &className, QObject *object);

    // Messages go through here; the default shows a modal box.
    void setMessageHandler(Plotter::MessageHandler handler);
    void showMessageBox(const QString &text);

    // The dialogs that saving and printing open; the defaults are the desktop's own.
    struct Dialogs
    {
        // The file to save to, starting from a suggested one; empty when cancelled.
        std::function<QString(const QString &suggested)> saveFileName;
        // Lets the user choose and set up a printer; false when cancelled.
        std::function<bool(QPrinter &printer)> setUpPrinter;
    };
    void setDialogs(Dialogs dialogs);

    // The plot area as the user sees it, down to the bottom strip that lies over its last rows,
    // at the screen's device resolution.
    QImage visiblePicture() const;

    const Ui::Form1 &ui() const { return m_ui; }
    PlotArea *plotArea() const { return m_ui.Picture1; }
    const Plotter &plotter() const { return m_plotter; }
    // The window's size with its frame and caption bar, in units.
    QSize outerSizeInUnits() const;

public slots:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();

    // The plot area's menu.
    void copyPicture();
    void savePicture();
    void printPicture();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    // One input row's fields.
    struct RowFields
    {
        QLineEdit *frequency;
        QLineEdit *phase;
        QLineEdit *amplitude;
    };

    PlotSurface &setUpForm();
    void Form_Load();
    void Form_Resize();
    void dockStatusStrip();
    void connectButtons();
    void setUpPictureActions();
    void enablePictureActions();
    QRect visiblePlotArea() const;
    OscillationTexts rowTexts(std::size_t row) const;
    void plotRow(std::size_t row);

    Ui::Form1 m_ui;
    std::array<RowFields, 3> m_rows{};
    Plotter::MessageHandler m_showMessage;
    Dialogs m_dialogs;
    Plotter m_plotter;
};
