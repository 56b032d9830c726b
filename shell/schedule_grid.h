#pragma once
// The schedule grid: 8 rows x 6 columns of text cells in one control. Row 0 and column 0 are the
// fixed header cells; the 35 body cells are edited in place. The control never scrolls: what does
// not fit is cut off at its edge, and the user resizes rows and columns by dragging the grid
// lines. Drawn by hand rather than as an item view, which would load far more than the 48 cells
// need.

#include <QFrame>
#include <array>

#include "web/text.h"

class QLineEdit;

namespace tavolin {

class ScheduleGrid : public QFrame {
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
    // What the cell shows (the text converted for display, on one line).
    QString cellDisplayText(int row, int column) const;
    // The cell's rectangle in this widget's coordinates, its right and bottom grid line included.
    QRect cellRect(int row, int column) const;
    int rowHeight(int row) const;
    int columnWidth(int column) const;
    // The body cell that has the keyboard focus (1..7, 1..5).
    int currentRow() const { return currentRow_; }
    int currentColumn() const { return currentColumn_; }
    bool isEditing() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Boundary {
        Qt::Orientation orientation = Qt::Horizontal;  // Horizontal: a column's right edge
        int index = -1;
    };
    struct Cell {
        Text text;
        QString shown;
    };

    Cell& cell(int row, int column) { return cells_[row * gridColumns + column]; }
    const Cell& cell(int row, int column) const { return cells_[row * gridColumns + column]; }
    int columnLeft(int column) const;
    int rowTop(int row) const;
    Boundary boundaryAt(QPoint at) const;
    bool bodyCellAt(QPoint at, int& row, int& column) const;
    void setCurrent(int row, int column);
    void startEditing(const QString* typed);
    void finishEditing(bool keep);
    void placeEditor();

    std::array<Cell, gridRows * gridColumns> cells_;
    std::array<int, gridRows> rowHeights_;
    std::array<int, gridColumns> columnWidths_;
    int currentRow_ = 1;
    int currentColumn_ = 1;
    Boundary dragging_;
    int dragOrigin_ = 0;
    int dragStartSize_ = 0;
    QLineEdit* editor_ = nullptr;
    int editingRow_ = -1;
    int editingColumn_ = -1;
    QString editingStartText_;
};

}  // namespace tavolin
