#pragma once

#include <QString>

class DataGrid;
class QLabel;
class QWidget;

// What a screen reader gets from the program's windows beyond Qt's own accessible interfaces.

// Makes Qt describe the window's widgets as a listener needs them: link labels as links that a
// press action clicks, a stack of pages as its shown page alone, decorative pictures not at all,
// selectable labels as text. Call once the window's widgets are made and marked below: what Qt
// described of them while they were built is described again.
void describeWidgets(QWidget *window);

// A picture or separator that carries no information: left out of what a screen reader reads.
void markDecorative(QWidget *widget);

// A label that the keyboard can select in is named by its caption's text as the caption shows it
// at the time (a heading that changes after construction), its own text read as its value.
void nameByCaption(QLabel *text, const QLabel *caption);

// The grid is named by the title of `column`, following it as the pages retitle the grid; while
// that title is empty it is named `fallback`.
void nameByColumnTitle(DataGrid *grid, int column, const QString &fallback);

// The value label is named "<caption> <text>" (the caption without its colon and the text as
// shown), and a changed text is announced: the check runs after each event that may change it
// (the grid's rows reloaded, the page shown), since a label signals nothing when its text changes.
void nameValueByCaption(QLabel *value, const QLabel *caption, DataGrid *reloadedWith);
