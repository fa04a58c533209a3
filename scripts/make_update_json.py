#!/usr/bin/env python3
"""Writes the update description a server publishes at /update/update.json for
a built installer: its build number, release notes, address and digests (MD5
and SHA-256), and, with a signing key, its signature update.json.sig beside it.

Usage: scripts/make_update_json.py INSTALLER --version N --url URL [--notes TEXT] [--force]
                                   [--out FILE] [--key PRIVATE_KEY.pem]

The signature is the base64 of an ECDSA P-256 / SHA-256 signature (DER) over
the exact bytes of the written description, made with the openssl command
line; builds configured with the matching public key (ZINTRA_UPDATE_KEYS)
offer an update only when it verifies. The key may also come from the
environment variable ZINTRA_UPDATE_SIGNING_KEY (a file path).
"""

import argparse
import base64
import hashlib
import json
import os
import subprocess
import sys


def digests(path):
    md5, sha256 = hashlib.md5(), hashlib.sha256()
    with open(path, "rb") as installer:
        for block in iter(lambda: installer.read(1 << 16), b""):
            md5.update(block)
            sha256.update(block)
    return md5.hexdigest(), sha256.hexdigest()


def sign(data, key):
    """base64 of `openssl dgst -sha256 -sign KEY` over data, with a line feed."""
    result = subprocess.run(["openssl", "dgst", "-sha256", "-sign", key], input=data, capture_output=True)
    if result.returncode != 0:
        sys.exit("make_update_json: openssl could not sign with %s: %s" % (key, result.stderr.decode(errors="replace")))
    return base64.b64encode(result.stdout) + b"\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("installer", help="the built (and signed) zintra-setup.exe")
    parser.add_argument("--version", type=int, required=True,
                        help="build number; offered to every installation whose Update value is lower")
    parser.add_argument("--url", required=True, help="where the installer can be downloaded")
    parser.add_argument("--notes", default="", help="release notes shown in the update window")
    parser.add_argument("--force", action="store_true", help="declining the update ends the program")
    parser.add_argument("--out", default="-", help="file to write (default: standard output)")
    parser.add_argument("--key", default=os.environ.get("ZINTRA_UPDATE_SIGNING_KEY"),
                        help="ECDSA P-256 private key (PEM) to sign with; writes OUT.sig beside OUT")
    args = parser.parse_args()

    md5, sha256 = digests(args.installer)
    description = {
        "version": args.version,
        "updateInfo": args.notes,
        "url": args.url,
        "fileMd5": md5,
        "fileSha256": sha256,
        "forceUpdate": args.force,
    }
    data = (json.dumps(description, ensure_ascii=False, indent=2) + "\n").encode("utf-8")
    if args.key and args.out == "-":
        sys.exit("make_update_json: a signed description needs --out (the signature goes beside it)")
    if args.out == "-":
        sys.stdout.buffer.write(data)
        return
    with open(args.out, "wb") as out:
        out.write(data)
    if args.key:
        with open(args.out + ".sig", "wb") as out:
            out.write(sign(data, args.key))


if __name__ == "__main__":
    main()
