#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// A level page as it is printed: the item with its ancestors, its list of children and its notes.
struct PrintedPage {
    struct Level {
        QString caption; // "Seção", "Divisão", ...
        QString code;
        QString description;
    };
    struct Note {
        QString heading;
        QString text;
    };

    QString heading;          // the edition's page description
    QVector<Level> hierarchy; // from the section down to the item, which is the last
    QString childrenTitle;
    QVector<QStringList> children; // code and description
    QVector<Note> notes;
};

// The five note texts of an item under the headings of its level (1 Seção to 5 SubClasse), in
// the order the notes window shows them; blank texts are left out and '#' reads '-' as there. A
// first line that repeats the heading is left out.
QVector<PrintedPage::Note> printedNotes(int nivel, const QStringList &texts);

// The page as rich text for QTextDocument.
QString printedPageHtml(const PrintedPage &page);

// The line printed at the top of every sheet: the edition and the database date.
QString printedSheetHeader(const QString &edition, const QString &databaseDate);

// A list as it is printed: a title, label and value lines saying what it is (the searched text,
// the edition, the count), and its rows as a table under the column titles.
struct PrintedList {
    QString title;
    QVector<QStringList> about; // label and value
    QStringList header;
    QVector<QStringList> rows;
};

// The list as rich text for QTextDocument; the column titles repeat at the top of every sheet.
QString printedListHtml(const PrintedList &list);
