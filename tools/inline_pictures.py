#!/usr/bin/env python3
"""Writes the pictures of ui/pictures into the main window's description as inline blocks.

Run by hand after the pictures change:  python3 tools/inline_pictures.py
The logo is carried as a one-byte length and the kind name "TJPEGImage", a 32-bit little-endian
byte count and the JPEG file; each button picture as a 32-bit byte count and the bitmap file.
"""
import pathlib
import re
import struct

ROOT = pathlib.Path(__file__).resolve().parent.parent
FORM = ROOT / "ui" / "unit1.form"
PICTURES = ROOT / "ui" / "pictures"

# control -> (property, file, kind name or None for a button picture)
BLOCKS = {
    "Image1": ("Picture", "logo.jpg", "TJPEGImage"),
    "BitBtn1": ("Glyph", "close.bmp", None),
    "BitBtn2": ("Glyph", "copy.bmp", None),
    "BitBtn4": ("Glyph", "settings.bmp", None),
}


def block(data: bytes, indent: str) -> str:
    rows = [" ".join(f"{b:02X}" for b in data[i:i + 32]) for i in range(0, len(data), 32)]
    inner = "\n".join(indent + "  " + r for r in rows)
    return f"[\n{inner}\n{indent}]"


def main() -> None:
    text = FORM.read_text(encoding="utf-8")
    for control, (prop, name, kind) in BLOCKS.items():
        data = (PICTURES / name).read_bytes()
        payload = struct.pack("<I", len(data)) + data
        if kind:
            payload = bytes([len(kind)]) + kind.encode("ascii") + payload
        start = text.index(f"control {control} :")
        end = text.index("\n  end", start)
        body = text[start:end]
        indent = "    "
        line = f"{indent}{prop} {block(payload, indent)}"
        body = re.sub(rf"\n{indent}{prop} \[.*?\]", "", body, flags=re.S)
        body = re.sub(rf"(\n{indent}Bounds [^\n]*)", lambda m: m.group(1) + "\n" + line, body, count=1)
        text = text[:start] + body + text[end:]
    FORM.write_text(text, encoding="utf-8")


if __name__ == "__main__":
    main()
