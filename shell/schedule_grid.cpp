#include "shell/schedule_grid.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include "shell/shell.h"

namespace tavolin {
namespace {

const QColor headerBackground(96, 96, 96);
// Padding between a cell's left edge and its text.
constexpr int cellTextMargin = 3;
// How near a grid line the mouse must be to drag it.
constexpr int boundaryGrip = 2;
constexpr int smallestSize = 4;

bool isHeader(int row, int column) {
    return row == 0 || column == 0;
}

bool insideGrid(int row, int column) {
    return row >= 0 && row < ScheduleGrid::gridRows && column >= 0 &&
           column < ScheduleGrid::gridColumns;
}

}  // namespace

ScheduleGrid::ScheduleGrid(QWidget* parent) : QFrame(parent) {
    rowHeights_.fill(standardRowHeight);
    columnWidths_.fill(standardColumnWidth);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ScheduleGrid::setCellText(int row, int column, const Text& text) {
    if (!insideGrid(row, column)) {
        return;
    }
    Cell& target = cell(row, column);
    target.text = text;
    target.shown = textToQString(text);
    update(cellRect(row, column));
}

Text ScheduleGrid::cellText(int row, int column) const {
    return insideGrid(row, column) ? cell(row, column).text : Text();
}

QString ScheduleGrid::cellDisplayText(int row, int column) const {
    return insideGrid(row, column) ? cell(row, column).shown : QString();
}

int ScheduleGrid::rowHeight(int row) const {
    return row >= 0 && row < gridRows ? rowHeights_[row] : 0;
}

int ScheduleGrid::columnWidth(int column) const {
    return column >= 0 && column < gridColumns ? columnWidths_[column] : 0;
}

int ScheduleGrid::columnLeft(int column) const {
    int left = contentsRect().left();
    for (int c = 0; c < column; ++c) {
        left += columnWidths_[c];
    }
    return left;
}

int ScheduleGrid::rowTop(int row) const {
    int top = contentsRect().top();
    for (int r = 0; r < row; ++r) {
        top += rowHeights_[r];
    }
    return top;
}

QRect ScheduleGrid::cellRect(int row, int column) const {
    if (!insideGrid(row, column)) {
        return {};
    }
    return {columnLeft(column), rowTop(row), columnWidths_[column], rowHeights_[row]};
}

bool ScheduleGrid::isEditing() const {
    return editor_ != nullptr && editingRow_ >= 0;
}

void ScheduleGrid::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.setClipRect(area);
    // The control's area outside the cells is white, as the body is.
    painter.fillRect(area, Qt::white);
    painter.setFont(font());
    const bool showCurrent = hasFocus() && !isEditing();
    for (int row = 0; row < gridRows; ++row) {
        for (int column = 0; column < gridColumns; ++column) {
            const QRect rect = cellRect(row, column);
            if (!rect.intersects(event->rect())) {
                continue;
            }
            // The cell's own area; its right and bottom pixel are the grid lines.
            const QRect inside = rect.adjusted(0, 0, -1, -1);
            QColor textColour = Qt::black;
            if (isHeader(row, column)) {
                painter.fillRect(inside, headerBackground);
                textColour = palette().color(QPalette::WindowText);
            } else if (showCurrent && row == currentRow_ && column == currentColumn_) {
                painter.fillRect(inside, palette().color(QPalette::Highlight));
                textColour = palette().color(QPalette::HighlightedText);
            }
            painter.save();
            painter.setClipRect(inside.intersected(area));
            painter.setPen(textColour);
            // One line, left-aligned and vertically centred, cut off at the cell's edge.
            painter.drawText(inside.adjusted(cellTextMargin, 0, 0, 0),
                             Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                             cell(row, column).shown);
            painter.restore();
            painter.setPen(Qt::black);
            painter.drawLine(rect.topRight(), rect.bottomRight());
            painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        }
    }
}

ScheduleGrid::Boundary ScheduleGrid::boundaryAt(QPoint at) const {
    const int right = columnLeft(gridColumns);
    const int bottom = rowTop(gridRows);
    if (at.y() < rowTop(0) || at.y() >= bottom || at.x() < columnLeft(0) || at.x() >= right) {
        return {};
    }
    for (int column = 0; column < gridColumns; ++column) {
        const int line = columnLeft(column + 1) - 1;
        if (std::abs(at.x() - line) <= boundaryGrip) {
            return {Qt::Horizontal, column};
        }
    }
    for (int row = 0; row < gridRows; ++row) {
        const int line = rowTop(row + 1) - 1;
        if (std::abs(at.y() - line) <= boundaryGrip) {
            return {Qt::Vertical, row};
        }
    }
    return {};
}

bool ScheduleGrid::bodyCellAt(QPoint at, int& row, int& column) const {
    for (int r = 1; r < gridRows; ++r) {
        for (int c = 1; c < gridColumns; ++c) {
            if (cellRect(r, c).contains(at) && contentsRect().contains(at)) {
                row = r;
                column = c;
                return true;
            }
        }
    }
    return false;
}

void ScheduleGrid::setCurrent(int row, int column) {
    if (row == currentRow_ && column == currentColumn_) {
        return;
    }
    const QRect before = cellRect(currentRow_, currentColumn_);
    currentRow_ = row;
    currentColumn_ = column;
    update(before);
    update(cellRect(row, column));
}

void ScheduleGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QFrame::mousePressEvent(event);
        return;
    }
    finishEditing(true);
    const QPoint at = event->position().toPoint();
    const Boundary boundary = boundaryAt(at);
    if (boundary.index >= 0) {
        dragging_ = boundary;
        const bool columns = boundary.orientation == Qt::Horizontal;
        dragOrigin_ = columns ? at.x() : at.y();
        dragStartSize_ = columns ? columnWidths_[boundary.index] : rowHeights_[boundary.index];
        return;
    }
    int row = 0;
    int column = 0;
    if (bodyCellAt(at, row, column)) {
        setCurrent(row, column);
    }
    setFocus(Qt::MouseFocusReason);
}

void ScheduleGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (dragging_.index >= 0) {
        const bool columns = dragging_.orientation == Qt::Horizontal;
        const int size =
            std::max(smallestSize, dragStartSize_ + (columns ? at.x() : at.y()) - dragOrigin_);
        (columns ? columnWidths_[dragging_.index] : rowHeights_[dragging_.index]) = size;
        update();
        return;
    }
    const Boundary boundary = boundaryAt(at);
    if (boundary.index < 0) {
        unsetCursor();
    } else {
        setCursor(boundary.orientation == Qt::Horizontal ? Qt::SplitHCursor : Qt::SplitVCursor);
    }
}

void ScheduleGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = {};
    }
    QFrame::mouseReleaseEvent(event);
}

void ScheduleGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    int row = 0;
    int column = 0;
    if (event->button() == Qt::LeftButton && boundaryAt(at).index < 0 &&
        bodyCellAt(at, row, column)) {
        setCurrent(row, column);
        startEditing(nullptr);
    }
}

void ScheduleGrid::keyPressEvent(QKeyEvent* event) {
    int row = currentRow_;
    int column = currentColumn_;
    switch (event->key()) {
        case Qt::Key_Up:
            row = std::max(1, row - 1);
            break;
        case Qt::Key_Down:
            row = std::min(gridRows - 1, row + 1);
            break;
        case Qt::Key_Left:
            column = std::max(1, column - 1);
            break;
        case Qt::Key_Right:
            column = std::min(gridColumns - 1, column + 1);
            break;
        case Qt::Key_F2:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            startEditing(nullptr);
            return;
        default: {
            // Typing over a cell starts editing it with what was typed, as in a spreadsheet.
            const QString typed = event->text();
            const bool command =
                event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
            if (!command && !typed.isEmpty() && typed.at(0).isPrint()) {
                startEditing(&typed);
                return;
            }
            QFrame::keyPressEvent(event);
            return;
        }
    }
    setCurrent(row, column);
}

void ScheduleGrid::startEditing(const QString* typed) {
    if (isEditing()) {
        return;
    }
    if (editor_ == nullptr) {
        editor_ = new QLineEdit(this);
        editor_->setFrame(false);
        editor_->installEventFilter(this);
        connect(editor_, &QLineEdit::editingFinished, this, [this] { finishEditing(true); });
    }
    editingRow_ = currentRow_;
    editingColumn_ = currentColumn_;
    editingStartText_ = cell(editingRow_, editingColumn_).shown;
    editor_->setText(typed != nullptr ? *typed : editingStartText_);
    if (typed == nullptr) {
        editor_->selectAll();
    }
    placeEditor();
    editor_->show();
    editor_->setFocus(Qt::OtherFocusReason);
    update(cellRect(editingRow_, editingColumn_));
}

void ScheduleGrid::placeEditor() {
    if (isEditing()) {
        editor_->setGeometry(cellRect(editingRow_, editingColumn_)
                                 .adjusted(0, 0, -1, -1)
                                 .intersected(contentsRect()));
    }
}

void ScheduleGrid::finishEditing(bool keep) {
    if (!isEditing()) {
        return;
    }
    const int row = editingRow_;
    const int column = editingColumn_;
    // Cleared first: hiding the editor takes its focus away, which finishes editing again.
    editingRow_ = -1;
    editingColumn_ = -1;
    const QString edited = editor_->text();
    // A cell the user did not change keeps its text byte for byte, also bytes that do not decode.
    if (keep && edited != editingStartText_) {
        setCellText(row, column, qStringToText(edited));
    }
    const bool hadFocus = editor_->hasFocus();
    editor_->hide();
    if (hadFocus) {
        setFocus(Qt::OtherFocusReason);
    }
    update(cellRect(row, column));
}

bool ScheduleGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            finishEditing(false);
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            finishEditing(true);
            return true;
        }
    }
    if (watched == editor_ && event->type() == QEvent::FocusOut) {
        finishEditing(true);
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace tavolin
