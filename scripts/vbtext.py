#!/usr/bin/env python3
"""Converts Visual Basic 6 source files between the form we edit them in and the form they are
committed in.

VB6 writes its project and module files in the system code page with CR LF line ends. The
sample project (examples/) and the end-to-end fixtures (tests/fixtures/) are kept that way, byte
for byte, so that a run sees what a Japanese Windows machine would hand it. Nobody wants to edit
CP932 by hand, so:

    scripts/vbtext.py decode FILE...   CP932 + CR LF  ->  UTF-8 + LF   (in place)
    scripts/vbtext.py encode FILE...   UTF-8 + LF     ->  CP932 + CR LF (in place)
    scripts/vbtext.py show FILE        print a CP932 file as UTF-8 (CR LF shown as is)
    scripts/vbtext.py check DIR...     list the text files under DIR that are not CP932 + CR LF

Options for encode: --lf keeps LF line ends; --no-final-newline drops the line end after the
last line. Both exist for the fixtures that check how such files are read.

.frx files are binary and are never touched. Edit, then encode again before committing; the
repository's .gitattributes keeps git from converting line ends.
"""
import argparse
import pathlib
import sys

TEXT_SUFFIXES = {".vbp", ".vbw", ".frm", ".bas", ".cls"}


def decode(path: pathlib.Path) -> None:
    data = path.read_bytes().decode("cp932")
    path.write_bytes(data.replace("\r\n", "\n").encode("utf-8"))


def encode(path: pathlib.Path, lf: bool, final_newline: bool) -> None:
    text = path.read_bytes().decode("utf-8")
    if "\r" in text:
        sys.exit(f"{path}: holds CR already; decode it first")
    if not final_newline:
        text = text.rstrip("\n")
    elif text and not text.endswith("\n"):
        text += "\n"
    if not lf:
        text = text.replace("\n", "\r\n")
    path.write_bytes(text.encode("cp932"))


def check(root: pathlib.Path) -> list[str]:
    problems = []
    for p in sorted(root.rglob("*")):
        if not p.is_file() or p.suffix.lower() not in TEXT_SUFFIXES:
            continue
        data = p.read_bytes()
        try:
            data.decode("cp932")
        except UnicodeDecodeError as e:
            problems.append(f"{p}: not CP932 ({e})")
            continue
        bare_lf = data.replace(b"\r\n", b"").count(b"\n")
        if bare_lf:
            problems.append(f"{p}: {bare_lf} line(s) end in LF alone")
    return problems


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = ap.add_subparsers(dest="cmd", required=True)
    d = sub.add_parser("decode")
    d.add_argument("files", nargs="+", type=pathlib.Path)
    e = sub.add_parser("encode")
    e.add_argument("files", nargs="+", type=pathlib.Path)
    e.add_argument("--lf", action="store_true")
    e.add_argument("--no-final-newline", action="store_true")
    s = sub.add_parser("show")
    s.add_argument("file", type=pathlib.Path)
    c = sub.add_parser("check")
    c.add_argument("dirs", nargs="+", type=pathlib.Path)
    args = ap.parse_args()

    if args.cmd == "decode":
        for f in args.files:
            decode(f)
    elif args.cmd == "encode":
        for f in args.files:
            encode(f, args.lf, not args.no_final_newline)
    elif args.cmd == "show":
        sys.stdout.write(args.file.read_bytes().decode("cp932"))
    elif args.cmd == "check":
        problems = [p for d in args.dirs for p in check(d)]
        for p in problems:
            print(p)
        return 1 if problems else 0
    return 0


if __name__ == "__main__":
    sys.exit(main())
