#pragma once

#include "app/uFrmMain.h"

#include <QString>
#include <QVector>

#include <functional>

class TDtmMain;
class QDialog;
class QWidget;

// What a step of the screenshot tour can reach: the real window and the data module behind it.
struct TourContext {
    TFrmMain &window;
    TDtmMain &dtm;

    template <class T> T *find(const QString &name) const;
};

// One named step: it acts on the window as the user would; the tour saves a picture after it.
struct TourStep {
    QString name;
    std::function<void(TourContext &)> action;
    // Acts in each modal window the step opens, before its picture is taken.
    std::function<void(QDialog &)> inWindow = {};
};

// Steps of each part of the window, in the order the tour walks them.
QVector<TourStep> homeSteps();
QVector<TourStep> windowSteps();
QVector<TourStep> searchSteps();
QVector<TourStep> browseSteps();
QVector<TourStep> personSteps();
QVector<TourStep> takeawaySteps();
QVector<TourStep> spreadsheetSteps();

// Sets the system palette the window is built under: "escuro" (dark) or "contraste" (high
// contrast); false for another name.
bool setTourPalette(const QString &name);
QVector<TourStep> workdaySteps();
QVector<TourStep> searchHelpSteps();

// Chooses, as the user does, the first listed edition that is (or is not) a subclass edition.
void pickEdition(TourContext &tour, bool subclasses);

// The pointer entering a widget, moving over it, and leaving it.
void hoverOver(QWidget *widget);
void hoverLeave(QWidget *widget);

template <class T> T *TourContext::find(const QString &name) const
{
    return window.findChild<T *>(name);
}
