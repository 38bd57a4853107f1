#!/usr/bin/env python3
"""Writes the product's data files that the setup helper patches after the
copy: the on-line protection's driver files NEXOLT.SYS and NEXOLT.DRV (with
their path placeholders) and the configuration files VZ32.CNF, VZ95.CNF and
VZNT.CNF. Layouts: docs/formats/driver-files.md and
docs/formats/configuration-files.md.

    make_product_data.py OUTPUT_FOLDER PRODUCT_MAJOR PRODUCT_MINOR
"""
import os
import struct
import sys

PLACEHOLDER_LENGTH = 19
SLOT_SIZE = 128  # room for a 79-character folder, an 8.3 file name and the terminator
LONGEST_PATH = 79 + 12 + 1
assert LONGEST_PATH <= SLOT_SIZE

DRIVER_SIGNATURE = b"NXLT"
DRIVER_FORMAT = 1
KIND_DRIVER = 1       # NEXOLT.SYS
KIND_DRIVER_DATA = 2  # NEXOLT.DRV


def slot(letter):
    return letter * PLACEHOLDER_LENGTH + bytes(SLOT_SIZE - PLACEHOLDER_LENGTH)


def driver_file(kind, size, description, slots):
    """slots: (offset, placeholder letter) in file order."""
    data = bytearray(size)
    offsets = [offset for offset, _ in slots] + [0] * (2 - len(slots))
    struct.pack_into("<4sHHHHII", data, 0, DRIVER_SIGNATURE, DRIVER_FORMAT, kind, len(slots), SLOT_SIZE, *offsets)
    text = description.encode("ascii") + b"\0"
    data[64:64 + len(text)] = text
    for offset, letter in slots:
        data[offset:offset + SLOT_SIZE] = slot(letter)
    # Each placeholder must be the first run of its letter in the file.
    for offset, letter in slots:
        assert data.find(letter * PLACEHOLDER_LENGTH) == offset
    return bytes(data)


def vz32_cnf(major, minor):
    data = bytearray(64)
    struct.pack_into("<4sHHHH", data, 0, b"VZCF", 1, len(data), major, minor)
    # 12..19 signature dates and 20..31 the system record: 0 until the setup writes them.
    return bytes(data)


def startup_cnf(signature):
    data = bytearray(32)
    struct.pack_into("<HHHH4s", data, 0, 0, 0, 0, 1, signature)  # no component starts until chosen
    return bytes(data)


def main():
    folder, major, minor = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    os.makedirs(folder, exist_ok=True)
    files = {
        "NEXOLT.SYS": driver_file(KIND_DRIVER, 1024, "Velzor On-Line Protection driver",
                                  [(0x200, b"z"), (0x280, b"y")]),
        "NEXOLT.DRV": driver_file(KIND_DRIVER_DATA, 512, "Velzor On-Line Protection driver data",
                                  [(0x100, b"z")]),
        "VZ32.CNF": vz32_cnf(major, minor),
        "VZ95.CNF": startup_cnf(b"VZ95"),
        "VZNT.CNF": startup_cnf(b"VZNT"),
    }
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
