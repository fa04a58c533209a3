#!/usr/bin/env python3
"""Makes the Debian package zintra_<version>_amd64.deb from a built native
zintra: stages the tree (the program, its desktop entry, icons, AppStream
metainfo, manual page, copyright and changelog), works out the library dependencies with
dpkg-shlibdeps and builds with dpkg-deb.

    scripts/make_deb.py --program build/native/app/zintra --version 1.0.0.1 --out build/native/deb

The date in the changelog and metainfo is SOURCE_DATE_EPOCH, else the last
commit's, so the same sources make the same package."""

import argparse
import email.utils
import gzip
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DEBIAN = ROOT / "installer" / "debian"
HICOLOR = ROOT / "res" / "linux" / "hicolor"
APP_ID = "example.zintra.Zintra"
# The X11 text rasterizer asks fontconfig for a face that covers zh-cn; any of
# these gives it one (the first is the one the tests run with).
CJK_FONTS = "fonts-wqy-microhei | fonts-noto-cjk | fonts-wqy-zenhei"
# Opened with dlopen on the first transfer, so dpkg-shlibdeps does not see it
# (the program asks libcurl.so.4 for options 7.85 added).
OPENED_LIBRARIES = "libcurl4 (>= 7.85.0)"
DESCRIPTION = """\
mouse auto-clicker for X11 desktops
 Zintra clicks the mouse for you: pick a click type (left, right or a
 held-down left button), an interval and a global start/stop hotkey (F8 by
 default), then press the hotkey anywhere on the desktop to start clicking at
 the pointer or at a fixed point, and press it again to stop.
 .
 It can start hidden at log-in, stop after a number of clicks and vary the
 interval at random.
 .
 On the first start of each day it sends one usage report (channel code,
 version, the network adapter's MAC address and the time, encrypted with a
 key built into the program) over HTTP to stat.zintra.example; "zintra
 --no-reports" or DO_NOT_TRACK=1 switches reports off (see zintra(1))."""


def source_date():
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    try:
        return int(subprocess.run(["git", "-C", str(ROOT), "log", "-1", "--format=%ct"], capture_output=True,
                                  text=True, check=True).stdout.strip())
    except (subprocess.CalledProcessError, ValueError, FileNotFoundError):
        return int(time.time())


def install(source, target, mode=0o644, text=None):
    target.parent.mkdir(parents=True, exist_ok=True)
    if text is not None:
        target.write_text(text, encoding="utf-8")
    else:
        shutil.copyfile(source, target)
    target.chmod(mode)


def gzip_file(data, target):
    """gzip -9n: no name or time stamp inside, as lintian asks."""
    target.parent.mkdir(parents=True, exist_ok=True)
    with open(target, "wb") as raw:
        with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=raw, mtime=0) as out:
            out.write(data)
    target.chmod(0o644)


def library_depends(binary):
    """The shlibs:Depends line dpkg-shlibdeps works out for the binary."""
    with tempfile.TemporaryDirectory() as work:
        (Path(work) / "debian").mkdir()
        (Path(work) / "debian" / "control").write_text("Source: zintra\n\nPackage: zintra\nArchitecture: any\n")
        result = subprocess.run(["dpkg-shlibdeps", "-O", f"-e{binary}"], cwd=work, capture_output=True, text=True)
        if result.returncode != 0:
            sys.exit("make_deb: dpkg-shlibdeps failed:\n" + result.stderr)
    for line in result.stdout.splitlines():
        if line.startswith("shlibs:Depends="):
            return line.split("=", 1)[1]
    sys.exit("make_deb: dpkg-shlibdeps named no libraries")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True, help="the built native zintra")
    parser.add_argument("--version", required=True)
    parser.add_argument("--out", required=True, help="folder the package is written to")
    args = parser.parse_args()

    epoch = source_date()
    stamp = time.gmtime(epoch)
    out = Path(args.out).resolve()
    out.mkdir(parents=True, exist_ok=True)
    stage = out / "stage"
    shutil.rmtree(stage, ignore_errors=True)
    os.umask(0o022)
    stage.mkdir()

    usr = stage / "usr"
    binary = usr / "bin" / "zintra"
    install(args.program, binary, 0o755)
    subprocess.run(["strip", "--strip-unneeded", "--remove-section=.comment", "--remove-section=.note", str(binary)],
                   check=True)
    install(DEBIAN / f"{APP_ID}.desktop", usr / "share" / "applications" / f"{APP_ID}.desktop")
    metainfo = (DEBIAN / f"{APP_ID}.metainfo.xml").read_text(encoding="utf-8")
    metainfo = metainfo.replace("@VERSION@", args.version).replace("@DATE@", time.strftime("%Y-%m-%d", stamp))
    install(None, usr / "share" / "metainfo" / f"{APP_ID}.metainfo.xml", text=metainfo)
    for icon in sorted(HICOLOR.glob("*.png")):
        size = icon.stem  # 16x16, ...
        install(icon, usr / "share" / "icons" / "hicolor" / size / "apps" / "zintra.png")
    gzip_file((DEBIAN / "zintra.1").read_bytes(), usr / "share" / "man" / "man1" / "zintra.1.gz")
    doc = usr / "share" / "doc" / "zintra"
    install(DEBIAN / "copyright", doc / "copyright")
    changelog = (DEBIAN / "changelog").read_text(encoding="utf-8").replace("@VERSION@", args.version)
    changelog = changelog.replace("@RFC2822DATE@", email.utils.formatdate(epoch, usegmt=False))
    # A version without a Debian revision is a native package: changelog.gz.
    gzip_file(changelog.encode("utf-8"), doc / "changelog.gz")
    for folder in [stage, *[p for p in stage.rglob("*") if p.is_dir()]]:
        folder.chmod(0o755)

    files = sorted(p for p in usr.rglob("*") if p.is_file())
    installed_kib = sum((p.stat().st_size + 1023) // 1024 for p in files) + len(list(usr.rglob("*")))
    control_dir = stage / "DEBIAN"
    control_dir.mkdir()
    depends = library_depends(binary)
    control = (f"Package: zintra\nVersion: {args.version}\nArchitecture: amd64\n"
               f"Maintainer: Zintra <support@zintra.example>\nInstalled-Size: {installed_kib}\n"
               f"Depends: {depends}, {OPENED_LIBRARIES}, {CJK_FONTS}\nRecommends: xdg-utils\n"
               f"Section: utils\nPriority: optional\nHomepage: https://www.zintra.example/\n"
               f"Description: {DESCRIPTION}\n")
    install(None, control_dir / "control", text=control)
    sums = "".join(f"{hashlib.md5(p.read_bytes()).hexdigest()}  {p.relative_to(stage)}\n" for p in files)
    install(None, control_dir / "md5sums", text=sums)
    for path in [stage, *stage.rglob("*")]:
        os.utime(path, (epoch, epoch), follow_symlinks=False)

    package = out / f"zintra_{args.version}_amd64.deb"
    subprocess.run(["dpkg-deb", "--root-owner-group", "-Zxz", "--build", str(stage), str(package)], check=True,
                   env=dict(os.environ, SOURCE_DATE_EPOCH=str(epoch)), stdout=subprocess.DEVNULL)
    print(package)


if __name__ == "__main__":
    main()
