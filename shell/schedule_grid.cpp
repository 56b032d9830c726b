#include "shell/schedule_grid.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>
#include <QStyledItemDelegate>

#include "shell/shell.h"

namespace tavolin {
namespace {

// The stored program text of a cell, beside the converted text the cell shows. Only a user's edit
// replaces it, so bytes that do not decode are shown as U+FFFD but never written back.
constexpr int storedTextRole = Qt::UserRole + 1;
// Left and right padding of a cell's text, as the item delegate pads body cells.
constexpr int cellTextMargin = 3;
const QColor headerBackground(96, 96, 96);

// The grid lines black and the header area beyond the last section white, on top of whatever
// style the application uses.
class GridStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_Table_GridLineColor) {
            return static_cast<int>(QColor(Qt::black).rgba());
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_HeaderEmptyArea) {
            painter->fillRect(option->rect, Qt::white);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

QStyle* sharedGridStyle() {
    // One for the process, owned by the application so that it outlives every grid.
    static QPointer<GridStyle> style;
    if (!style) {
        style = new GridStyle;
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

QString oneLine(QString text) {
    for (QChar& c : text) {
        if (c == u'\n' || c == u'\r' || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator) {
            c = u' ';
        }
    }
    return text;
}

void paintHeaderCell(QPainter* painter, const QRect& rect, const QString& text,
                     const QWidget* widget) {
    painter->save();
    painter->fillRect(rect, headerBackground);
    // The grid lines on the right and bottom edge, as the body cells have them.
    painter->setPen(Qt::black);
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    const QRect inside = rect.adjusted(0, 0, -1, -1);
    painter->setClipRect(inside);
    painter->setFont(widget->font());
    painter->setPen(widget->palette().color(QPalette::WindowText));
    painter->drawText(inside.adjusted(cellTextMargin, 0, -cellTextMargin, 0),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, oneLine(text));
    painter->restore();
}

class GridHeader : public QHeaderView {
public:
    GridHeader(Qt::Orientation orientation, QWidget* parent) : QHeaderView(orientation, parent) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        if (!rect.isValid()) {
            return;
        }
        paintHeaderCell(
            painter, rect,
            model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString(), this);
    }
};

// Body cells: one line, cut off at the edge (the view elides nothing).
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale& locale) const override {
        return oneLine(QStyledItemDelegate::displayText(value, locale));
    }
};

QTableWidgetItem* newCell(bool editable) {
    auto* item = new QTableWidgetItem;
    item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    item->setFlags(editable ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable
                            : Qt::ItemIsEnabled);
    item->setData(storedTextRole, QByteArray());
    return item;
}

Text storedText(const QTableWidgetItem* item) {
    if (item == nullptr) {
        return {};
    }
    const QVariant stored = item->data(storedTextRole);
    if (stored.isValid()) {
        return stored.toByteArray().toStdString();
    }
    return qStringToText(item->text());
}

}  // namespace

ScheduleGrid::ScheduleGrid(QWidget* parent) : QTableWidget(gridRows - 1, gridColumns - 1, parent) {
    auto* columnHeader = new GridHeader(Qt::Horizontal, this);
    auto* rowHeader = new GridHeader(Qt::Vertical, this);
    setHorizontalHeader(columnHeader);
    setVerticalHeader(rowHeader);
    for (QHeaderView* header :
         {static_cast<QHeaderView*>(columnHeader), static_cast<QHeaderView*>(rowHeader)}) {
        header->setStyle(sharedGridStyle());
        header->setSectionResizeMode(QHeaderView::Interactive);
        header->setSectionsClickable(false);
        header->setHighlightSections(false);
        header->setStretchLastSection(false);
        header->setMinimumSectionSize(4);
    }
    columnHeader->setDefaultSectionSize(standardColumnWidth);
    rowHeader->setDefaultSectionSize(standardRowHeight);
    // The header row and column keep their size; the table places them from these.
    columnHeader->setFixedHeight(standardRowHeight);
    rowHeader->setFixedWidth(standardColumnWidth);

    setStyle(sharedGridStyle());
    setItemDelegate(new CellDelegate(this));
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setCornerButtonEnabled(false);

    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);

    for (int column = 0; column < gridColumns - 1; ++column) {
        setHorizontalHeaderItem(column, newCell(false));
    }
    for (int row = 0; row < gridRows - 1; ++row) {
        setVerticalHeaderItem(row, newCell(false));
        for (int column = 0; column < gridColumns - 1; ++column) {
            setItem(row, column, newCell(true));
        }
    }

    // Cell (0, 0) lives on the table's corner button, which paints nothing of its own here.
    corner_ = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (corner_ != nullptr) {
        corner_->installEventFilter(this);
    }

    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!writing_) {
            keepUserEdit(item);
        }
    });
}

void ScheduleGrid::setCellText(int row, int column, const Text& text) {
    if (row < 0 || row >= gridRows || column < 0 || column >= gridColumns) {
        return;
    }
    const QString shown = textToQString(text);
    const QByteArray stored = QByteArray::fromStdString(text);
    writing_ = true;
    if (row == 0 && column == 0) {
        cornerText_ = text;
        if (corner_ != nullptr) {
            corner_->update();
        }
    } else {
        QTableWidgetItem* cell = row == 0      ? horizontalHeaderItem(column - 1)
                                 : column == 0 ? verticalHeaderItem(row - 1)
                                               : item(row - 1, column - 1);
        cell->setData(storedTextRole, stored);
        cell->setText(shown);
    }
    writing_ = false;
}

Text ScheduleGrid::cellText(int row, int column) const {
    if (row < 0 || row >= gridRows || column < 0 || column >= gridColumns) {
        return {};
    }
    if (row == 0 && column == 0) {
        return cornerText_;
    }
    if (row == 0) {
        return storedText(horizontalHeaderItem(column - 1));
    }
    if (column == 0) {
        return storedText(verticalHeaderItem(row - 1));
    }
    return storedText(item(row - 1, column - 1));
}

QString ScheduleGrid::cellDisplayText(int row, int column) const {
    if (row < 0 || row >= gridRows || column < 0 || column >= gridColumns) {
        return {};
    }
    if (row == 0 && column == 0) {
        return textToQString(cornerText_);
    }
    const QTableWidgetItem* cell = row == 0      ? horizontalHeaderItem(column - 1)
                                   : column == 0 ? verticalHeaderItem(row - 1)
                                                 : item(row - 1, column - 1);
    return cell->text();
}

QRect ScheduleGrid::cellRect(int row, int column) const {
    if (row < 0 || row >= gridRows || column < 0 || column >= gridColumns) {
        return {};
    }
    if (row == 0 && column == 0) {
        return corner_ != nullptr ? corner_->geometry() : QRect();
    }
    if (row == 0) {
        const QHeaderView* header = horizontalHeader();
        const QRect section(header->sectionViewportPosition(column - 1), 0,
                            header->sectionSize(column - 1), header->height());
        return section.translated(header->viewport()->mapTo(this, QPoint(0, 0)));
    }
    if (column == 0) {
        const QHeaderView* header = verticalHeader();
        const QRect section(0, header->sectionViewportPosition(row - 1), header->width(),
                            header->sectionSize(row - 1));
        return section.translated(header->viewport()->mapTo(this, QPoint(0, 0)));
    }
    // The whole cell with its grid lines, as the header sections are measured.
    const QRect cell(columnViewportPosition(column - 1), rowViewportPosition(row - 1),
                     columnWidth(column - 1), rowHeight(row - 1));
    return cell.translated(viewport()->mapTo(this, QPoint(0, 0)));
}

bool ScheduleGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == corner_ && event->type() == QEvent::Paint) {
        QPainter painter(corner_);
        paintHeaderCell(&painter, corner_->rect(), textToQString(cornerText_), this);
        return true;
    }
    return QTableWidget::eventFilter(watched, event);
}

void ScheduleGrid::keepUserEdit(QTableWidgetItem* item) {
    writing_ = true;
    item->setData(storedTextRole, QByteArray::fromStdString(qStringToText(item->text())));
    writing_ = false;
}

}  // namespace tavolin
