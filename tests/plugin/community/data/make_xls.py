#!/usr/bin/env python3
"""Writes a small Excel 97 (.xls, BIFF8) workbook from a JSON description, with the standard
library only (no .xls writer is installed here): an OLE2 compound file holding one "Workbook"
stream with shared strings, numbers and date cells (format 14).

  make_xls.py OUT.xls '[{"name": "고객목록", "rows": [["No", "이름"], [1, "홍길동"]]}]'

A cell is a string, a number, null (empty) or {"date": "YYYY-MM-DD"} (a date cell).
"""
import datetime
import json
import struct
import sys

ENDOFCHAIN = 0xFFFFFFFE
FREESECT = 0xFFFFFFFF
FATSECT = 0xFFFFFFFD
NOSTREAM = 0xFFFFFFFF
SECTOR = 512


def record(kind, payload=b""):
    return struct.pack("<HH", kind, len(payload)) + payload


def unicode_string(text, length_bytes=2):
    data = text.encode("utf-16-le")
    count = struct.pack("<H" if length_bytes == 2 else "<B", len(data) // 2)
    return count + b"\x01" + data


def excel_serial(iso):
    day = datetime.date.fromisoformat(iso)
    return float((day - datetime.date(1899, 12, 30)).days)


def workbook_stream(sheets):
    strings = []
    index = {}
    for sheet in sheets:
        for row in sheet["rows"]:
            for cell in row:
                if isinstance(cell, str) and cell not in index:
                    index[cell] = len(strings)
                    strings.append(cell)

    def bof(kind):
        return record(0x0809, struct.pack("<HHHHII", 0x0600, kind, 0x0DBB, 0x07CC, 0, 6))

    def xf(fmt):
        # font 0, the format, a cell XF with default alignment and borders.
        return record(0x00E0, struct.pack("<HHHBBBBIIH", 0, fmt, 0x0001, 0x20, 0, 0, 0, 0, 0,
                                          0x20C0))

    def sheet_stream(sheet):
        body = bof(0x0010)
        rows = sheet["rows"]
        cols = max((len(r) for r in rows), default=0)
        body += record(0x0200, struct.pack("<IIHHH", 0, len(rows), 0, cols, 0))
        for r, row in enumerate(rows):
            for c, cell in enumerate(row):
                if cell is None:
                    continue
                if isinstance(cell, str):
                    body += record(0x00FD, struct.pack("<HHHI", r, c, 15, index[cell]))
                elif isinstance(cell, dict):
                    body += record(0x0203, struct.pack("<HHHd", r, c, 16, excel_serial(cell["date"])))
                else:
                    body += record(0x0203, struct.pack("<HHHd", r, c, 15, float(cell)))
        return body + record(0x000A)

    sst = struct.pack("<II", len(strings), len(strings))
    for text in strings:
        sst += unicode_string(text)
    # 15 style XFs and the cell XF 15 (general), then XF 16 with the date format 14.
    xfs = b"".join(xf(0) for _ in range(16)) + xf(14)
    head = bof(0x0005) + record(0x0042, struct.pack("<H", 1200)) + xfs
    sheet_bodies = [sheet_stream(s) for s in sheets]
    bound_len = sum(4 + 6 + len(unicode_string(s["name"], 1)) for s in sheets)
    tail = record(0x00FC, sst) + record(0x000A)
    offset = len(head) + bound_len + len(tail)
    bounds = b""
    for sheet, body in zip(sheets, sheet_bodies):
        bounds += record(0x0085, struct.pack("<IBB", offset, 0, 0) + unicode_string(sheet["name"], 1))
        offset += len(body)
    stream = head + bounds + tail + b"".join(sheet_bodies)
    return stream


def compound_file(stream):
    # Streams under 4096 bytes would live in the mini stream: the stream is kept longer with
    # zero bytes after the last record, which readers stop before.
    if len(stream) < 4096:
        stream = stream + b"\x00" * (4096 - len(stream))
    data_sectors = (len(stream) + SECTOR - 1) // SECTOR
    fat = [FATSECT]
    for i in range(data_sectors):
        fat.append(i + 2 if i + 1 < data_sectors else ENDOFCHAIN)
    directory_sector = len(fat)
    fat.append(ENDOFCHAIN)
    fat += [FREESECT] * (SECTOR // 4 - len(fat))
    header = b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + b"\x00" * 16
    header += struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) + b"\x00" * 6
    header += struct.pack("<IIIIIIII", 0, 1, directory_sector, 0, 4096, ENDOFCHAIN, 0, ENDOFCHAIN)
    header += struct.pack("<I", 0)  # no DIFAT sectors
    # The header's DIFAT (byte 76 on): the one FAT sector is sector 0.
    header += struct.pack("<I", 0) + struct.pack("<108I", *([FREESECT] * 108))
    assert len(header) == SECTOR, len(header)

    def entry(name, kind, child, start, size):
        encoded = (name + "\x00").encode("utf-16-le") if name else b""
        return (encoded.ljust(64, b"\x00") + struct.pack("<HBB", len(encoded), kind, 1) +
                struct.pack("<III", NOSTREAM, NOSTREAM, child) + b"\x00" * 36 +
                struct.pack("<III", start, size, 0))

    directory = (entry("Root Entry", 5, 1, ENDOFCHAIN, 0) + entry("Workbook", 2, NOSTREAM, 1, len(stream)) +
                 entry("", 0, NOSTREAM, 0, 0) + entry("", 0, NOSTREAM, 0, 0))
    body = struct.pack("<128I", *fat) + stream.ljust(data_sectors * SECTOR, b"\x00") + directory
    return header + body


def main():
    out, description = sys.argv[1], json.loads(sys.argv[2])
    with open(out, "wb") as f:
        f.write(compound_file(workbook_stream(description)))


if __name__ == "__main__":
    main()
