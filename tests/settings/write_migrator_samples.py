#!/usr/bin/env python3
"""Writes command-bar layouts the way another tool would: built with
xml.etree and saved in UTF-8 and UTF-16, with and without a byte-order mark,
and in Latin-1.
Usage: write_migrator_samples.py OUTPUT_FOLDER"""
import os
import sys
import xml.etree.ElementTree as ET


def layout():
    root = ET.Element("Configuration")
    bars = ET.SubElement(root, "CommandBars")
    menu = ET.SubElement(bars, "CommandBar", Type="0", Title="Menu Bar")
    ET.SubElement(menu, "Control", Type="2", Caption="&Fichier \u00e9\u20ac", CommandBarId="300")
    ET.SubElement(menu, "Control", Type="1", Id="57666", Caption="\u00dcber <&> \"x\"")
    popup = ET.SubElement(bars, "CommandBar", BarID="300")
    ET.SubElement(popup, "Control", Id="57600", Caption="&Nouveau \U0001F600")
    toolbar = ET.SubElement(bars, "CommandBar", Class="CXTPToolBar")
    ET.SubElement(toolbar, "Control", Id="57601", Caption="Ouvrir \u00e9")
    return root


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    text = ET.tostring(layout(), encoding="unicode")
    samples = {
        "utf8-nobom.xml": ("utf-8", b""),
        "utf8-bom.xml": ("utf-8", b"\xef\xbb\xbf"),
        "utf16le-bom.xml": ("utf-16-le", b"\xff\xfe"),
        "utf16be-bom.xml": ("utf-16-be", b"\xfe\xff"),
        "utf16le-nobom.xml": ("utf-16-le", b""),
    }
    for name, (codec, bom) in samples.items():
        declared = "UTF-16" if codec.startswith("utf-16") else "UTF-8"
        document = '<?xml version="1.0" encoding="%s"?>\n%s\n' % (declared, text)
        with open(os.path.join(out, name), "wb") as f:
            f.write(bom + document.encode(codec))
    # ElementTree's own writer, declaration and all.
    ET.ElementTree(layout()).write(os.path.join(out, "etree-utf8.xml"), encoding="UTF-8", xml_declaration=True)
    ET.ElementTree(layout()).write(os.path.join(out, "etree-utf16.xml"), encoding="UTF-16", xml_declaration=True)
    # Latin-1 declared, and character references for what it cannot hold.
    ET.ElementTree(layout()).write(os.path.join(out, "etree-latin1.xml"), encoding="ISO-8859-1", xml_declaration=True)


if __name__ == "__main__":
    main()
