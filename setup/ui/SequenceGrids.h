#pragma once
// The two grids of the sequence editor: the steps grid (step number, time,
// temperature, tolerance, shear rate, ramp flag) and the 40-row ramp grid.
// The cell texts are the editor's working copy until Save Change.
#include <QList>
#include <QStringList>

namespace tz {
struct StoredStepTemps;
}

class QTableWidget;

namespace SequenceGrids {

void setUpStepsGrid(QTableWidget* grid);
// Two-line headings with the temperature unit of the unit system.
void setStepsHeadings(QTableWidget* grid, int unitSystem);
void setStepRows(QTableWidget* grid, const QList<QStringList>& rows);
QList<QStringList> stepRows(const QTableWidget* grid);
void insertStepRow(QTableWidget* grid, int row, const QStringList& cells);
// The stored °F values behind the temperature and tolerance cells, row for
// row; they move with their rows when steps are inserted or deleted.
void setStoredTemps(QTableWidget* grid, const QList<tz::StoredStepTemps>& stored);
QList<tz::StoredStepTemps> storedTemps(const QTableWidget* grid);
// Step numbers 1, 2, ... down column 0.
void renumberSteps(QTableWidget* grid);

void setUpRampGrid(QTableWidget* grid);
// Rows 1 to 40 from the top; missing rows blank.
void setRampCells(QTableWidget* grid, const QStringList& cells);
QStringList rampCells(const QTableWidget* grid);

}  // namespace SequenceGrids
