#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine needs to build and test Zintra:
# the Debian packages, and the Windows builds of libcurl, jsoncpp, pugixml and
# libpng cross-built from Debian's own source packages into a cache outside the clone.
# With --native only what building the native program needs; with --show what
# showing it on a virtual display needs (scripts/run.sh without a desktop).
# Safe to run again: each step is skipped when its result is already there.
set -euo pipefail
# Progress goes to stderr; the one line on stdout is the Windows library prefix.
exec 3>&1 1>&2

# One run at a time: parallel builds share the cache.
cache_root="${ZINTRA_DEPS_CACHE:-$HOME/.cache/zintra-deps}"
mkdir -p "$cache_root"
exec 9>"$cache_root/.lock"
flock 9

# What building the native program needs (scripts/run.sh on a desktop): the
# compiler and its libraries, and openssl, which configuring asks for the
# tests' update signing key.
native_packages=(
  cmake ninja-build ccache pkg-config g++ python3 openssl
  libgtest-dev libcurl4-openssl-dev libjsoncpp-dev libpugixml-dev libpng-dev libssl-dev
  libx11-dev libxtst-dev libxi-dev libxext-dev libxrandr-dev libxkbcommon-dev libfreetype-dev libfontconfig-dev libsystemd-dev fonts-wqy-microhei
  libwayland-dev libwayland-bin wayland-protocols
)
# Showing it without a desktop: a virtual display (which brings Mesa and LLVM,
# the larger part of the download), keys and a screenshot.
show_packages=(xvfb xdotool x11-utils imagemagick)
# Everything else the tests and the Windows build need.
packages=(
  "${native_packages[@]}" "${show_packages[@]}" clang
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 x11-apps
  dpkg-dev nsis osslsigncode
  openbox xcompmgr
  dbus-daemon python3-dbus python3-gi gir1.2-dbusmenu-glib-0.4 at-spi2-core python3-pyatspi
  x11-xserver-utils x11-xkb-utils xkb-data
  passwd util-linux
  lintian desktop-file-utils appstream
  uim-xim locales zenity
  sway xwayland grim
  # A notification daemon in the sway session, for notices on a desktop without a tray.
  mako-notifier
  # A real GNOME Wayland session for the tests: mutter with Xwayland, the desktop
  # portals, PipeWire for screen-cast streams and GStreamer to read a frame of one.
  mutter xdg-desktop-portal xdg-desktop-portal-gnome pipewire wireplumber
  gstreamer1.0-pipewire gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  # A real KDE Plasma Wayland session: kwin (which serves the global shortcuts),
  # the KDE portal and the Qt Wayland plugin it runs on.
  kwin-wayland libkf5globalaccel-bin xdg-desktop-portal-kde qtwayland5
)
case "${1:-}" in
  --native) packages=("${native_packages[@]}") ;;
  --show) packages=("${show_packages[@]}") ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  # No fsync after every unpacked file: on a virtual machine's disk that was
  # half the time of a first install; a crash during it means installing again.
  apt-get install -y -q --no-install-recommends -o Dpkg::Options::=--force-unsafe-io "${missing[@]}"
fi
# The native program needs nothing cross-built.
if [ "${1:-}" = --native ] || [ "${1:-}" = --show ]; then
  exit 0
fi

# Windows libraries, keyed by the Debian package versions so a new release rebuilds.
key="curl-$(apt-cache policy curl | awk '/Candidate/{print $2}')_jsoncpp-$(apt-cache policy libjsoncpp-dev | awk '/Candidate/{print $2}')_pugixml-$(apt-cache policy libpugixml-dev | awk '/Candidate/{print $2}')_png-$(apt-cache policy libpng-dev | awk '/Candidate/{print $2}')"
prefix="$cache_root/$key/mingw"
if [ -f "$prefix/.complete" ]; then
  echo "$prefix" >&3
  exit 0
fi

if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  echo "setup-deps: enabling Debian source packages"
  cat > /etc/apt/sources.list.d/zintra-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  apt-get update -q
fi

here="$(cd "$(dirname "$0")/.." && pwd)"
toolchain="$here/cmake/mingw-w64-x86_64.cmake"
work="$cache_root/$key/src"
rm -rf "$work" "$prefix"
mkdir -p "$work" "$prefix"
cd "$work"
apt-get source --download-only curl libjsoncpp pugixml >/dev/null
# The newest source a mirror serves may lag the newest binary (security
# updates), so take the newest one that downloads.
fetch_source() {
  local version
  for version in $(apt-cache showsrc "$1" | awk '/^Version:/{print $2}' | sort -rV); do
    apt-get source --download-only "$1=$version" >/dev/null 2>&1 && return 0
  done
  echo "setup-deps: no source of $1 could be downloaded" >&2
  return 1
}
fetch_source libpng1.6
for dsc in *.dsc; do dpkg-source --no-check -x "$dsc" >/dev/null; done

build() {  # build <source dir> <cmake options...>
  local src="$1"; shift
  cmake -S "$src" -B "$src/_build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" >/dev/null
  cmake --build "$src/_build" >/dev/null
  cmake --install "$src/_build" >/dev/null
}

echo "setup-deps: cross-building pugixml"
build "$(ls -d pugixml-*/ | head -1)" -DPUGIXML_BUILD_TESTS=OFF
echo "setup-deps: cross-building jsoncpp"
build "$(ls -d *jsoncpp-*/ | head -1)" -DBUILD_STATIC_LIBS=ON -DBUILD_OBJECT_LIBS=OFF \
  -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF
echo "setup-deps: cross-building libpng"
build "$(ls -d libpng1.6-*/ | head -1)" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DSKIP_INSTALL_PROGRAMS=ON -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include
echo "setup-deps: cross-building libcurl (a few minutes)"
build "$(ls -d curl-*/ | head -1)" -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DBUILD_CURL_EXE=OFF \
  -DCURL_DISABLE_LDAP=ON -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBPSL=OFF -DUSE_LIBIDN2=OFF \
  -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF -DENABLE_MANUAL=OFF -DBUILD_TESTING=OFF

rm -rf "$work"
touch "$prefix/.complete"
echo "$prefix" >&3
