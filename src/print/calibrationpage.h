#pragma once
#include <QPoint>
#include <QString>
#include <vector>

class QPainter;
class TPrintTarget;

// The calibration page: crosshairs and rulers at known distances, drawn where
// the program puts labels, so that a ruler laid on the printed sheet shows how
// far the printer is off. Distances count from the paper's top-left edge, as a
// sheet's labels are placed; the page is drawn with the offset in use, so a
// right offset puts every crosshair where its caption says.

// Centres of the crosshairs, in millimetres, for paper of `paperMm`: 20 mm in
// from the corner, and the farthest whole ten millimetres at least 20 mm from
// the right and bottom edges.
std::vector<QPoint> CalibrationCrosses(QPoint paperMm);

// The page's text: what to measure and how the offset follows from it.
QString CalibrationInstructions(const QString& printer, QPoint offset);

// Draws the page on the target's current page, `offset` in tenths of a
// millimetre.
void DrawCalibrationPage(QPainter& canvas, const TPrintTarget& target, const QString& printer, QPoint offset);

// Prints the page as one job on `target`; TPrintOutcome::PrinterFailed (as a
// TPrintManagerException) when the job fails.
void PrintCalibrationPage(TPrintTarget& target, const QString& printer, QPoint offset);
