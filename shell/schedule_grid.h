#pragma once
// The schedule grid: 8 rows x 6 columns of text cells. Row 0 and column 0 are fixed headers shown
// by the table's own header sections, so they never scroll and the user resizes the body's rows
// and columns by dragging the header boundaries; cell (0, 0) is drawn on the table's corner.

#include <QTableWidget>

#include "web/text.h"

class QAbstractButton;

namespace tavolin {

class ScheduleGrid : public QTableWidget {
    Q_OBJECT

public:
    static constexpr int gridRows = 8;
    static constexpr int gridColumns = 6;
    static constexpr int standardRowHeight = 50;
    static constexpr int standardColumnWidth = 60;

    explicit ScheduleGrid(QWidget* parent = nullptr);

    // Outside 0..7 x 0..5 nothing happens.
    void setCellText(int row, int column, const Text& text);
    // The stored program text; empty outside the grid.
    Text cellText(int row, int column) const;
    // What the cell shows (the text converted for display).
    QString cellDisplayText(int row, int column) const;
    // The cell's rectangle in this widget's coordinates, header cells included.
    QRect cellRect(int row, int column) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void keepUserEdit(QTableWidgetItem* item);

    QAbstractButton* corner_ = nullptr;
    Text cornerText_;
    bool writing_ = false;
};

}  // namespace tavolin
