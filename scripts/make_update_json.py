#!/usr/bin/env python3
"""Writes the update description a server publishes at /update/update.json for
a built installer: its build number, release notes, address and MD5 digest.

Usage: scripts/make_update_json.py INSTALLER --version N --url URL [--notes TEXT] [--force] [--out FILE]
"""

import argparse
import hashlib
import json
import sys


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("installer", help="the built zintra-setup.exe")
    parser.add_argument("--version", type=int, required=True,
                        help="build number; offered to every installation whose Update value is lower")
    parser.add_argument("--url", required=True, help="where the installer can be downloaded")
    parser.add_argument("--notes", default="", help="release notes shown in the update window")
    parser.add_argument("--force", action="store_true", help="declining the update ends the program")
    parser.add_argument("--out", default="-", help="file to write (default: standard output)")
    args = parser.parse_args()

    digest = hashlib.md5()
    with open(args.installer, "rb") as installer:
        for block in iter(lambda: installer.read(1 << 16), b""):
            digest.update(block)
    description = {
        "version": args.version,
        "updateInfo": args.notes,
        "url": args.url,
        "fileMd5": digest.hexdigest(),
        "forceUpdate": args.force,
    }
    text = json.dumps(description, ensure_ascii=False, indent=2) + "\n"
    if args.out == "-":
        sys.stdout.write(text)
    else:
        with open(args.out, "w", encoding="utf-8") as out:
            out.write(text)


if __name__ == "__main__":
    main()
