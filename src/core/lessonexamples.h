// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lessonfile.h"

#include <QString>

#include <span>

// A classic setup, ready to be shown in the window.
struct LessonExample
{
    Lesson lesson;       // Its title is the menu item's text.
    QString description; // One sentence in Czech: what the picture shows.
};

// The examples of the menu "Příklady", in the menu's order. Their values are chosen for the
// plot area at its designed size, where frequency 1 shows 2.6 waves across and the sum stays
// well inside the area.
std::span<const LessonExample> lessonExamples();
