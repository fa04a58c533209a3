"""The tests' own stand-ins for the desktop's session-bus services, each a
process of its own so a test can stop and restart it: a StatusNotifierItem
watcher (the panel's registry of tray items) and a notification server. Each
writes one JSON line per call it receives to its log.

    desktop_bus_peers.py watcher LOG
    desktop_bus_peers.py notifications LOG

The same file is the tests' panel: it reads an item's properties as the
panel would and clicks it.

    desktop_bus_peers.py properties SERVICE      (prints one JSON object)
    desktop_bus_peers.py call SERVICE METHOD X Y (Activate, ContextMenu, ...)
    desktop_bus_peers.py menu SERVICE            (the item's exported menu as a
                                                  panel reads it, one JSON object)
    desktop_bus_peers.py click SERVICE LABEL     (sends "clicked" to the entry)
    desktop_bus_peers.py dbusmenu-glib SERVICE [LABEL]
        the same through libdbusmenu-glib, the client library indicator
        panels use: prints the labels it shows, then clicks LABEL if given

DBUS_SESSION_BUS_ADDRESS names the bus. The line {"event": "ready"} is
written once the name is owned. It runs under Debian's own python3, which
has the dbus and gi modules.
"""

import json
import sys

from dbus.mainloop.glib import DBusGMainLoop

import dbus
import dbus.service
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
NOTIFICATIONS = "org.freedesktop.Notifications"


class Log:
    def __init__(self, path):
        self.file = open(path, "a", encoding="utf-8")

    def write(self, **entry):
        self.file.write(json.dumps(entry, ensure_ascii=False) + "\n")
        self.file.flush()


class Watcher(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.log = log
        self.items = []

    @dbus.service.method(WATCHER, in_signature="s", out_signature="", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        self.items.append(str(service))
        self.log.write(event="register", service=str(service), sender=str(sender))
        self.StatusNotifierItemRegistered(service)

    @dbus.service.method(WATCHER, in_signature="s", out_signature="")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {"RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
                "IsStatusNotifierHostRegistered": True, "ProtocolVersion": dbus.Int32(0)}


class Notifications(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.log = log
        self.next_id = 1

    @dbus.service.method(NOTIFICATIONS, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout):
        notice_id = int(replaces_id) or self.next_id
        if notice_id == self.next_id:
            self.next_id += 1
        self.log.write(event="notify", app_name=str(app_name), replaces_id=int(replaces_id), app_icon=str(app_icon),
                       summary=str(summary), body=str(body), expire_timeout=int(expire_timeout), id=notice_id)
        return dbus.UInt32(notice_id)

    @dbus.service.method(NOTIFICATIONS, in_signature="u", out_signature="")
    def CloseNotification(self, notice_id):
        self.log.write(event="close", id=int(notice_id))

    @dbus.service.method(NOTIFICATIONS, in_signature="", out_signature="as")
    def GetCapabilities(self):
        return ["body"]

    @dbus.service.method(NOTIFICATIONS, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ("zintra-test-notifications", "zintra", "1", "1.2")


ITEM = "org.kde.StatusNotifierItem"


def plain(value):
    """D-Bus values as JSON: a pixmap (width, height, bytes) as [width, height, hex of its bytes]."""
    if isinstance(value, dbus.Struct) and len(value) == 3 and isinstance(value[2], dbus.Array) \
            and value[2].signature == "y":
        return [int(value[0]), int(value[1]), bytes(int(b) for b in value[2]).hex()]
    if isinstance(value, (dbus.Array, dbus.Struct, list, tuple)):
        return [plain(v) for v in value]
    if isinstance(value, dbus.Dictionary):
        return {str(k): plain(v) for k, v in value.items()}
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, (dbus.String, dbus.ObjectPath)):
        return str(value)
    return int(value)


def panel(args):
    bus = dbus.SessionBus()
    item = bus.get_object(args[0], "/StatusNotifierItem")
    if args[1:2] == []:
        properties = item.GetAll(ITEM, dbus_interface=dbus.PROPERTIES_IFACE)
        print(json.dumps(plain(properties), ensure_ascii=False))
    else:
        method = getattr(item, args[1])
        method(*(dbus.Int32(int(a)) for a in args[2:]), dbus_interface=ITEM)


MENU = "com.canonical.dbusmenu"


def menu_object(bus, service):
    """The object the item's Menu property names, as a panel finds it."""
    item = bus.get_object(service, "/StatusNotifierItem")
    path = item.Get(ITEM, "Menu", dbus_interface=dbus.PROPERTIES_IFACE)
    return bus.get_object(service, path), str(path)


def read_menu(bus, service):
    """The whole layout (GetLayout from the root, every level, every
    property), the menu object's own properties, what AboutToShow answers and
    the properties GetGroupProperties gives for every entry."""
    menu, path = menu_object(bus, service)
    revision, layout = menu.GetLayout(0, -1, dbus.Array([], signature="s"), dbus_interface=MENU)

    def node(entry):
        number, properties, children = entry
        return {"id": int(number), "properties": plain(properties), "children": [node(c) for c in children]}

    root = node(layout)
    ids = []
    pending = [root]
    while pending:
        current = pending.pop(0)
        ids.append(current["id"])
        pending.extend(current["children"])
    group = menu.GetGroupProperties(dbus.Array(ids, signature="i"), dbus.Array([], signature="s"),
                                    dbus_interface=MENU)
    own = menu.GetAll(MENU, dbus_interface=dbus.PROPERTIES_IFACE)
    return {"path": path, "revision": int(revision), "layout": root,
            "group": {str(int(n)): plain(p) for n, p in group},
            "menu": plain(own), "about_to_show": bool(menu.AboutToShow(0, dbus_interface=MENU))}


def click_menu(bus, service, label):
    """Sends "clicked" to the entry with that label, as a panel does when it is chosen."""
    menu, _ = menu_object(bus, service)
    _, layout = menu.GetLayout(0, -1, dbus.Array([], signature="s"), dbus_interface=MENU)
    pending = list(layout[2])
    while pending:
        number, properties, children = pending.pop(0)
        if str(properties.get("label", "")) == label:
            menu.AboutToShow(0, dbus_interface=MENU)
            menu.Event(0, "opened", dbus.Int32(0, variant_level=1), dbus.UInt32(0), dbus_interface=MENU)
            menu.Event(number, "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0), dbus_interface=MENU)
            return
        pending.extend(children)
    raise SystemExit(f"no entry labelled {label}")


def through_dbusmenu_glib(service, label=None):
    """The menu as libdbusmenu-glib's client builds it from the bus."""
    import gi
    gi.require_version("Dbusmenu", "0.4")
    from gi.repository import Dbusmenu
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    _, path = menu_object(bus, service)
    client = Dbusmenu.Client.new(service, path)
    loop = GLib.MainLoop()
    found = {}

    def check(*_):
        root = client.get_root()
        children = root.get_children() if root is not None else []
        if children:
            found["labels"] = [child.property_get("label") for child in children]
            found["items"] = children
            loop.quit()
        return True

    client.connect("layout-updated", check)
    client.connect("root-changed", check)
    GLib.timeout_add(100, check)
    GLib.timeout_add_seconds(15, loop.quit)
    loop.run()
    print(json.dumps(found.get("labels"), ensure_ascii=False))
    if label is not None:
        item = next(i for i in found["items"] if i.property_get("label") == label)
        item.handle_event("clicked", GLib.Variant("i", 0), 0)
        GLib.timeout_add(500, loop.quit)  # the event leaves on the bus
        loop.run()


def main():
    role = sys.argv[1]
    if role == "dbusmenu-glib":
        through_dbusmenu_glib(*sys.argv[2:4])
        return
    if role == "menu":
        print(json.dumps(read_menu(dbus.SessionBus(), sys.argv[2]), ensure_ascii=False))
        return
    if role == "click":
        click_menu(dbus.SessionBus(), sys.argv[2], sys.argv[3])
        return
    if role == "properties":
        panel(sys.argv[2:3])
        return
    if role == "call":
        panel(sys.argv[2:])
        return
    log_path = sys.argv[2]
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    log = Log(log_path)
    if role == "watcher":
        name = dbus.service.BusName(WATCHER, bus, do_not_queue=True)
        service = Watcher(bus, log)
    else:
        name = dbus.service.BusName(NOTIFICATIONS, bus, do_not_queue=True)
        service = Notifications(bus, log)
    log.write(event="ready")
    loop = GLib.MainLoop()
    try:
        loop.run()
    finally:
        del service, name


if __name__ == "__main__":
    main()
