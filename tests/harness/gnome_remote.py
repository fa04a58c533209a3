"""A client of the GNOME session's remote-desktop services, run as the test
user on its session bus (the bus admits only its own user): the test writes
commands on stdin, one a line, and reads answers on stdout.

  move DX DY         moves the pointer by that much through a remote-desktop
                     session of mutter's own
  click X Y          a left click at that point of the screen: the pointer to the
                     top left corner first (motion stops at the edges), then there
  portal-start       asks the RemoteDesktop portal for a pointer session;
                     answers "started DEVICES" or "refused CODE"
  portal-click BTN   a press and a release of a Linux button code at the pointer
  portal-move DX DY  moves the pointer by that much through the portal's session
  screenshot PATH    the whole monitor as a PNG, through mutter's screen-cast
                     API and PipeWire (GStreamer's pipewiresrc)
"""

import subprocess
import sys
import time

import dbus
import dbus.mainloop.glib
from gi.repository import GLib

PORTAL_PATH = "/org/freedesktop/portal/desktop"
POINTER = 2


def say(text):
    print(text, flush=True)


class MutterPointer:
    """A remote-desktop session of mutter's own, kept for the whole run (mutter ends it with its caller)."""

    def __init__(self, bus):
        self.bus = bus
        self.session = None

    def _open(self):
        if self.session is None:
            manager = self.bus.get_object("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop")
            path = manager.CreateSession(dbus_interface="org.gnome.Mutter.RemoteDesktop")
            self.session = dbus.Interface(self.bus.get_object("org.gnome.Mutter.RemoteDesktop", path),
                                          "org.gnome.Mutter.RemoteDesktop.Session")
            self.session.Start()
        return self.session

    def move(self, dx, dy):
        self._open().NotifyPointerMotionRelative(float(dx), float(dy))

    def click(self, x, y):
        session = self._open()
        session.NotifyPointerMotionRelative(-10000.0, -10000.0)
        session.NotifyPointerMotionRelative(float(x), float(y))
        time.sleep(0.2)
        for state in (True, False):
            session.NotifyPointerButton(272, state)
            time.sleep(0.1)


def screenshot(bus, path, done):
    """One frame of the monitor through a screen-cast session of mutter's own, saved by GStreamer."""
    name = "org.gnome.Mutter.ScreenCast"
    manager = bus.get_object(name, "/org/gnome/Mutter/ScreenCast")
    session_path = manager.CreateSession({}, dbus_interface=name)
    session = dbus.Interface(bus.get_object(name, session_path), name + ".Session")
    monitor = dbus.Interface(bus.get_object("org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig"),
                             "org.gnome.Mutter.DisplayConfig").GetCurrentState()[1][0][0][0]
    stream_path = session.RecordMonitor(monitor, {})

    def added(node):
        match.remove()
        # The first frames of a new stream may be empty: keep the last of a few.
        saver = subprocess.Popen(["gst-launch-1.0", "-q", "pipewiresrc", f"path={int(node)}", "num-buffers=1", "!",
                                  "videoconvert", "!", "pngenc", "snapshot=false", "!", "multifilesink",
                                  f"location={path}"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def saved(_pid, status):
            session.Stop()
            done(saver.wait() == 0)
        GLib.child_watch_add(saver.pid, saved)
    match = bus.add_signal_receiver(added, "PipeWireStreamAdded", name + ".Stream", path=stream_path)
    session.Start()


class PortalClient:
    """A RemoteDesktop portal session: CreateSession, SelectDevices, Start, each answered by a Request."""

    def __init__(self, bus):
        self.bus = bus
        self.portal = dbus.Interface(bus.get_object("org.freedesktop.portal.Desktop", PORTAL_PATH),
                                     "org.freedesktop.portal.RemoteDesktop")
        self.sender = bus.get_unique_name()[1:].replace(".", "_")
        self.session = None
        self.tokens = 0

    def _request(self, call, options, then):
        self.tokens += 1
        token = f"zintra{self.tokens}"
        path = f"/org/freedesktop/portal/desktop/request/{self.sender}/{token}"

        def answered(code, results):
            match.remove()
            then(int(code), results)
        match = self.bus.add_signal_receiver(answered, "Response", "org.freedesktop.portal.Request", path=path)
        options = dict(options, handle_token=token)
        call(options)

    def start(self):
        def created(code, results):
            if code:
                return say(f"refused {code}")
            self.session = results["session_handle"]
            self._request(lambda o: self.portal.SelectDevices(self.session, o), {"types": dbus.UInt32(POINTER)},
                          selected)

        def selected(code, _results):
            if code:
                return say(f"refused {code}")
            self._request(lambda o: self.portal.Start(self.session, "", o), {}, started)

        def started(code, results):
            say(f"started {int(results.get('devices', 0))}" if code == 0 else f"refused {code}")

        self._request(lambda o: self.portal.CreateSession(o), {"session_handle_token": "zintra"}, created)

    def move(self, dx, dy):
        self.portal.NotifyPointerMotion(self.session, {}, float(dx), float(dy))

    def click(self, button):
        for state in (1, 0):
            self.portal.NotifyPointerButton(self.session, {}, button, dbus.UInt32(state))


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    pointer = MutterPointer(bus)
    portal = PortalClient(bus)
    loop = GLib.MainLoop()

    def command(_source, _condition):
        line = sys.stdin.readline()
        if not line:
            loop.quit()
            return False
        name, *args = line.split()
        try:
            if name == "move":
                pointer.move(*args)
            elif name == "click":
                pointer.click(*args)
            elif name == "portal-start":
                portal.start()
            elif name == "screenshot":
                screenshot(bus, args[0], lambda ok: say("saved" if ok else "unsaved"))
            elif name == "portal-click":
                portal.click(int(args[0]))
            elif name == "portal-move":
                portal.move(*args)
            say(f"done {name}")
        except dbus.DBusException as error:
            say(f"error {name} {error.get_dbus_name()}: {error.get_dbus_message()}")
        return True

    GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, command)
    say("ready")
    loop.run()


if __name__ == "__main__":
    main()
