#!/usr/bin/env python3
"""Writes every skin this project uses, deterministically, into one output folder:

    folders/<skin>/          skin folders: Options.dat, MASTER.BMP and own files
    packed/<skin>.asz        the same skins as packed archives
    hostile/<name>.asz       archives a reader must refuse cleanly
    SkinGenConstants.h       rectangles and colours the tests assert with
    Calm-contact-sheet.png   the product skin's contact sheet, for people to look at

Usage: skingen.py OUTPUT_FOLDER. Python's standard library only; no time stamps, so two runs
write identical bytes.
"""

import os
import sys

from imaging import bmp_bytes, png_bytes
from product import product_skin
from sheet import contact_sheet
from skin import archive_bytes
from testskins import (Constants, controls_skin, features_skin, flat_skin, hostile_archives,
                       scroll_skin, sections_skin, strict_skins)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def write_folder(root, skin, name=None, encoding="ansi"):
    folder = os.path.join(root, "folders", name or skin.name)
    for entry_name, data in skin.entries(encoding=encoding):
        write(os.path.join(folder, entry_name), data)


def write_packed(root, skin, entries=None, name=None):
    write(os.path.join(root, "packed", (name or skin.name) + ".asz"),
          archive_bytes(entries or skin.entries()))


def main(root):
    consts = Constants()
    flat = flat_skin(consts)
    features = features_skin(consts)
    sections = sections_skin(consts)
    scroll = scroll_skin(consts)
    controls = controls_skin(consts)
    product = product_skin()

    write_folder(root, flat)
    write_folder(root, flat, "TestFlatUtf8", "utf8")
    write_folder(root, flat, "TestFlatUtf16", "utf16")
    write_packed(root, flat)
    # Upper-case names throughout, and an extra entry of no bytes.
    write_packed(root, flat, [(n.upper(), d) for n, d in flat.entries()] + [("EMPTY.BIN", b"")],
                 "TestZeroEntry")

    write_folder(root, features)
    mixed = {"MASTER.BMP": "Master.bmp", "NOISE1.BMP": "Noise1.bmp", "ALPHA.PNG": "alpha.PNG"}
    write_packed(root, features, features.entries("options.DAT", names=mixed))

    write_folder(root, sections)
    write_folder(root, scroll)
    write_folder(root, controls)
    write_packed(root, controls)

    for skin in strict_skins():
        write_folder(root, skin)
        write_packed(root, skin)

    write_folder(root, product)
    write_packed(root, product)

    for name, data in hostile_archives(flat).items():
        write(os.path.join(root, "hostile", name + ".asz"), data)

    consts.text("ProductSkinName", product.name)
    header = ["// Written by tools/skingen: the rectangles and colours of the generated test skins.",
              "#pragma once", "",
              "struct TSkinGenRect {", "    int Left, Top, Right, Bottom;", "};", ""]
    write(os.path.join(root, "SkinGenConstants.h"),
          ("\n".join(header + consts.lines) + "\n").encode("ascii"))

    write(os.path.join(root, product.name + "-contact-sheet.png"),
          png_bytes(contact_sheet(product)))
    write(os.path.join(root, product.name + "-master.bmp"), bmp_bytes(product.master_canvas()))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
