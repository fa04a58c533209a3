"""The tests' stand-in for the desktop portal (xdg-desktop-portal) on a
private session bus: the RemoteDesktop, ScreenCast and GlobalShortcuts
interfaces with their Request and Session objects, answering as the portal
documents it, and writing one JSON line per call to its log.

    desktop_portal.py serve LOG [--version N] [--refuse METHOD] [--no-streams]
        --version     the RemoteDesktop version property (1 by default)
        --refuse      answer METHOD's request with response 1 (cancelled)
        --no-streams  Start returns no screen-cast stream
        --desktop-trigger TEXT  BindShortcuts answers with this trigger
                      description instead of the one asked for
    desktop_portal.py control METHOD [ARG]
        CloseSessions       the desktop closes every session (Closed signal)
        Activate SHORTCUT   the desktop's key for SHORTCUT was pressed

The stream of the monitor lies at (0, 0) and is 1280x1024 unless told
otherwise with --stream X,Y,W,H; streams carry node 40 upward. Start hands
out the restore token "token-N" (N counts the starts) on version 2 and later.
The line {"event": "ready"} is written once the name is owned. It runs under
Debian's own python3, which has the dbus and gi modules.
"""

import argparse
import json
import sys

from dbus.mainloop.glib import DBusGMainLoop

import dbus
import dbus.service
from gi.repository import GLib

NAME = "org.freedesktop.portal.Desktop"
PATH = "/org/freedesktop/portal/desktop"
REMOTE = "org.freedesktop.portal.RemoteDesktop"
CAST = "org.freedesktop.portal.ScreenCast"
SHORTCUTS = "org.freedesktop.portal.GlobalShortcuts"
CONTROL = "org.zintra.TestPortal"


def plain(value):
    """A D-Bus value as JSON."""
    if isinstance(value, dict):
        return {str(k): plain(v) for k, v in value.items()}
    if isinstance(value, (list, tuple)):
        return [plain(v) for v in value]
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, (dbus.Double, float)):
        return float(value)
    if isinstance(value, (int, dbus.Byte)):
        return int(value)
    return str(value)


def sender_part(sender):
    return sender[1:].replace(".", "_")


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, code, results):
        pass


class Session(dbus.service.Object):
    def __init__(self, bus, path, portal):
        super().__init__(bus, path)
        self.path, self.portal, self.open = path, portal, True

    @dbus.service.method("org.freedesktop.portal.Session", in_signature="", out_signature="")
    def Close(self):
        self.portal.log.write(event="call", interface="Session", method="Close", path=self.path)
        self.open = False

    @dbus.service.signal("org.freedesktop.portal.Session", signature="a{sv}")
    def Closed(self, details):
        pass


class Log:
    def __init__(self, path):
        self.file = open(path, "a", encoding="utf-8")

    def write(self, **entry):
        self.file.write(json.dumps(entry, ensure_ascii=False) + "\n")
        self.file.flush()


class Shortcuts(dbus.service.Object):
    """GlobalShortcuts, a class of its own: its CreateSession shares the name
    of RemoteDesktop's, and dbus-python finds each by its interface along the
    classes."""

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender=None):
        self.record("GlobalShortcuts", "CreateSession", options)
        path = self.new_session(sender, options)
        self.shortcut_sessions.append(path)
        return self.answer("GlobalShortcuts.CreateSession", sender, options, {"session_handle": dbus.String(path)})

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o", sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent, options, sender=None):
        self.record("GlobalShortcuts", "BindShortcuts", session, shortcuts, parent, options)
        bound = []
        for shortcut_id, details in shortcuts:
            trigger = self.options.desktop_trigger or str(details.get("preferred_trigger", ""))
            bound.append(dbus.Struct((shortcut_id, dbus.Dictionary({
                "description": details.get("description", ""),
                "trigger_description": dbus.String(trigger)}, signature="sv")), signature="sa{sv}"))
        return self.answer("BindShortcuts", sender, options,
                           {"shortcuts": dbus.Array(bound, signature="(sa{sv})")})


class Portal(Shortcuts):
    def __init__(self, bus, log, options):
        super().__init__(bus, PATH)
        self.bus, self.log, self.options = bus, log, options
        self.sessions, self.requests, self.starts = {}, [], 0
        self.shortcut_sessions = []

    # ---- requests and sessions ----

    def answer(self, method, sender, options, results):
        """The request object for a call, answered from the main loop."""
        path = f"{PATH}/request/{sender_part(sender)}/{options.get('handle_token', 'none')}"
        request = Request(self.bus, path)
        self.requests.append(request)
        code = 1 if method == self.options.refuse else 0

        def respond():
            request.Response(dbus.UInt32(code), dbus.Dictionary(results if code == 0 else {}, signature="sv"))
            request.remove_from_connection()
            return False

        GLib.timeout_add(20, respond)
        return dbus.ObjectPath(path)

    def new_session(self, sender, options):
        path = f"{PATH}/session/{sender_part(sender)}/{options.get('session_handle_token', 'none')}"
        if path in self.sessions:
            self.sessions[path].remove_from_connection()
        self.sessions[path] = Session(self.bus, path, self)
        return path

    def record(self, interface, method, *args):
        self.log.write(event="call", interface=interface, method=method, args=plain(list(args)))

    # ---- properties ----

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss", out_signature="v")
    def Get(self, interface, prop):
        if prop != "version":
            raise dbus.exceptions.DBusException("no such property",
                                                name="org.freedesktop.DBus.Error.InvalidArgs")
        return dbus.UInt32(self.options.version if interface == REMOTE else 1)

    # ---- RemoteDesktop ----

    @dbus.service.method(REMOTE, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender=None):
        self.record("RemoteDesktop", "CreateSession", options)
        path = self.new_session(sender, options)
        return self.answer("CreateSession", sender, options, {"session_handle": dbus.String(path)})

    @dbus.service.method(REMOTE, in_signature="oa{sv}", out_signature="o", sender_keyword="sender")
    def SelectDevices(self, session, options, sender=None):
        self.record("RemoteDesktop", "SelectDevices", session, options)
        return self.answer("SelectDevices", sender, options, {})

    @dbus.service.method(REMOTE, in_signature="osa{sv}", out_signature="o", sender_keyword="sender")
    def Start(self, session, parent, options, sender=None):
        self.record("RemoteDesktop", "Start", session, parent, options)
        self.starts += 1
        results = {"devices": dbus.UInt32(2)}
        if not self.options.no_streams:
            streams = []
            for i, (x, y, w, h) in enumerate(self.options.stream or [(0, 0, 1280, 1024)]):
                streams.append(dbus.Struct((dbus.UInt32(40 + i), dbus.Dictionary({
                    "position": dbus.Struct((dbus.Int32(x), dbus.Int32(y)), signature="ii"),
                    "size": dbus.Struct((dbus.Int32(w), dbus.Int32(h)), signature="ii"),
                    "source_type": dbus.UInt32(1)}, signature="sv")), signature="ua{sv}"))
            results["streams"] = dbus.Array(streams, signature="(ua{sv})")
        if self.options.version >= 2:
            results["restore_token"] = dbus.String(f"token-{self.starts}")
        return self.answer("Start", sender, options, results)

    @dbus.service.method(REMOTE, in_signature="oa{sv}iu", out_signature="")
    def NotifyPointerButton(self, session, options, button, state):
        self.record("RemoteDesktop", "NotifyPointerButton", session, options, button, state)

    @dbus.service.method(REMOTE, in_signature="oa{sv}udd", out_signature="")
    def NotifyPointerMotionAbsolute(self, session, options, stream, x, y):
        self.record("RemoteDesktop", "NotifyPointerMotionAbsolute", session, options, stream, x, y)

    @dbus.service.method(REMOTE, in_signature="oa{sv}dd", out_signature="")
    def NotifyPointerMotion(self, session, options, dx, dy):
        self.record("RemoteDesktop", "NotifyPointerMotion", session, options, dx, dy)

    # ---- ScreenCast ----

    @dbus.service.method(CAST, in_signature="oa{sv}", out_signature="o", sender_keyword="sender")
    def SelectSources(self, session, options, sender=None):
        self.record("ScreenCast", "SelectSources", session, options)
        return self.answer("SelectSources", sender, options, {})

    @dbus.service.method(CONTROL, in_signature="", out_signature="")
    def CloseSessions(self):
        for session in self.sessions.values():
            if session.open:
                session.open = False
                session.Closed(dbus.Dictionary({}, signature="sv"))
        self.log.write(event="closed")

    @dbus.service.method(CONTROL, in_signature="s", out_signature="")
    def Activate(self, shortcut):
        for session in self.shortcut_sessions:
            self.Activated(dbus.ObjectPath(session), shortcut, dbus.UInt64(0), dbus.Dictionary({}, signature="sv"))
        self.log.write(event="activated", shortcut=shortcut)

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session, shortcut, timestamp, options):
        pass


def serve(args):
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    log = Log(args.log)
    Portal(bus, log, args)
    # Fails rather than wait in line behind another portal.
    name = dbus.service.BusName(NAME, bus, do_not_queue=True)  # owned while it lives
    log.write(event="ready")
    GLib.MainLoop().run()
    del name


def control(args):
    bus = dbus.SessionBus()
    method = dbus.Interface(bus.get_object(NAME, PATH), CONTROL).get_dbus_method(args.method)
    method(*args.arg)


def stream(text):
    return tuple(int(part) for part in text.split(","))


def main():
    parser = argparse.ArgumentParser()
    commands = parser.add_subparsers(dest="command", required=True)
    run = commands.add_parser("serve")
    run.add_argument("log")
    run.add_argument("--version", type=int, default=1)
    run.add_argument("--refuse", default="")
    run.add_argument("--no-streams", action="store_true")
    run.add_argument("--stream", type=stream, action="append")
    run.add_argument("--desktop-trigger", default="")
    run.set_defaults(func=serve)
    tell = commands.add_parser("control")
    tell.add_argument("method")
    tell.add_argument("arg", nargs="*")
    tell.set_defaults(func=control)
    args = parser.parse_args()
    args.func(args)


if __name__ == "__main__":
    sys.exit(main())
