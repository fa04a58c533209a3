"""A real KDE Plasma desktop for end-to-end tests in a Wayland session:
kwin_wayland headless (`--virtual`, with Xwayland for the program's own
windows), which also serves the global shortcuts (kglobalaccel), and
xdg-desktop-portal with the KDE back-end, on the private session bus of a
GnomeSession, as the unprivileged test user."""

import os
import shutil
import subprocess

from harness.desktop import wait_for
from harness.gnome_session import GnomeSession

KGLOBALACCEL = "org.kde.kglobalaccel"
KWIN = "/usr/bin/kwin_wayland"
REQUIRED = (KWIN, "/usr/lib/x86_64-linux-gnu/libexec/xdg-desktop-portal-kde", "/usr/libexec/xdg-desktop-portal",
            # The KDE portal is a Qt program on the Wayland display: it aborts without this plugin.
            "/usr/lib/x86_64-linux-gnu/qt5/plugins/platforms/libqwayland-generic.so", "/usr/bin/dbus-daemon")


def missing_packages():
    """The first program a KDE session needs that is not installed, or None."""
    return next((path for path in REQUIRED if not os.path.exists(path)), None)


class KdeSession(GnomeSession):
    """One private KDE session; `env` is what a client of it needs."""

    def _base_env(self):
        env = super()._base_env()
        env.update({"XDG_CURRENT_DESKTOP": "KDE", "KDE_FULL_SESSION": "true",
                    # Software composition: the machine has no GPU.
                    "KWIN_COMPOSE": "Q"})
        return env

    def _start_compositor(self):
        # Debian gives kwin_wayland a file capability (to raise its limits); where
        # the bounding set lacks it, as in containers, exec fails with EPERM. A
        # copy has none and runs the same.
        kwin = self.runtime / "kwin_wayland"
        shutil.copyfile(KWIN, kwin)
        kwin.chmod(0o755)
        env_file = self.runtime / "session.env"
        width, height = self.size
        self.kwin = self.spawn("kwin", [
            str(kwin), "--virtual", "--xwayland", "--width", str(width), "--height", str(height),
            "--socket", self.env["WAYLAND_DISPLAY"], "--exit-with-session",
            f"sh -c 'env > {env_file}.part && mv {env_file}.part {env_file} && exec sleep infinity'"])
        wait_for(lambda: env_file.exists() or self.kwin.poll() is not None, 60, interval=0.2,
                 what="kwin and Xwayland")
        if self.kwin.poll() is not None:
            raise RuntimeError(f"kwin ended at start: see {self.dir / 'kwin.log'}")
        started = dict(line.split("=", 1) for line in env_file.read_text().splitlines() if "=" in line)
        for name in ("DISPLAY", "XAUTHORITY"):
            if started.get(name):
                self.env[name] = started[name]
        self.run(["dbus-update-activation-environment", "DISPLAY", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP",
                  "XDG_SESSION_TYPE", "KDE_FULL_SESSION", "HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"])
        self.wait_for_name(KGLOBALACCEL, 30)

    def kglobalaccel(self, path, interface, method, *args):
        """A call to kwin's global shortcuts service (dbus-send arguments); its printed reply."""
        result = self.run(["dbus-send", "--session", "--print-reply", f"--dest={KGLOBALACCEL}", path,
                           f"{interface}.{method}", *args])
        return result.stdout if result.returncode == 0 else None
