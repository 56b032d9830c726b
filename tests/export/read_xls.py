"""Reads an .xls file with xlrd and prints what the tests compare, as JSON on stdout.

Usage: read_xls.py FILE
Prints {"warnings", "sheets", "name", "nrows", "ncols", "cells", "columnWidths", "rowHeights"};
each cell is {"type", "text", "align", "valign", "wrap", "borders": [left, right, top, bottom]}.
"""
import io
import json
import sys

import xlrd

TYPES = {
    xlrd.XL_CELL_EMPTY: "empty",
    xlrd.XL_CELL_TEXT: "text",
    xlrd.XL_CELL_NUMBER: "number",
    xlrd.XL_CELL_DATE: "date",
    xlrd.XL_CELL_BOOLEAN: "boolean",
    xlrd.XL_CELL_ERROR: "error",
    xlrd.XL_CELL_BLANK: "blank",
}


def main():
    log = io.StringIO()
    book = xlrd.open_workbook(sys.argv[1], formatting_info=True, logfile=log)
    sheet = book.sheet_by_index(0)
    cells = []
    for r in range(sheet.nrows):
        row = []
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            xf = book.xf_list[cell.xf_index]
            row.append({
                "type": TYPES.get(cell.ctype, str(cell.ctype)),
                "text": cell.value if cell.ctype == xlrd.XL_CELL_TEXT else "",
                "align": xf.alignment.hor_align,
                "valign": xf.alignment.vert_align,
                "wrap": xf.alignment.text_wrapped,
                "borders": [xf.border.left_line_style, xf.border.right_line_style,
                            xf.border.top_line_style, xf.border.bottom_line_style],
            })
        cells.append(row)
    result = {
        "warnings": log.getvalue(),
        "sheets": book.nsheets,
        "name": sheet.name,
        "nrows": sheet.nrows,
        "ncols": sheet.ncols,
        "cells": cells,
        "columnWidths": {str(c): info.width for c, info in sheet.colinfo_map.items()},
        "rowHeights": {str(r): [info.height, bool(info.height_mismatch)]
                       for r, info in sheet.rowinfo_map.items()},
    }
    json.dump(result, sys.stdout)


if __name__ == "__main__":
    main()
