"""An assistive technology for the end-to-end tests: reads applications through
the AT-SPI registry with pyatspi, as Orca does, and answers the test over its
standard input and output, one JSON line a question and one an answer.

Runs under Debian's /usr/bin/python3 (pyatspi is a Debian package, not on the
test runner's Python). DBUS_SESSION_BUS_ADDRESS names the session bus whose
org.a11y.Bus leads to the accessibility bus; DISPLAY is the test's display.

Questions ({"do": ..., more fields}), each answered {"ok": true, ...} or
{"ok": false, "error": "..."}:
  apps                         the names of the applications in the desktop
  tree, app                    every node of the application, depth first
  act, app, path, action       does the named action of the node at path
  set_text, app, path, text    replaces an editable text's contents
  listen, events               starts recording these event types
  events                       what was recorded since the last time
The first line written, {"ready": true}, says the registry answered.
"""

import json
import sys
import threading

import pyatspi
from gi.repository import GLib


def node_path(accessible):
    path = []
    while accessible is not None and accessible.getRole() != pyatspi.ROLE_APPLICATION:
        path.append(accessible.getIndexInParent())
        accessible = accessible.parent
    return list(reversed(path))


def describe(accessible, path):
    states = accessible.getState()
    out = {
        "path": path,
        "role": accessible.getRoleName(),
        "name": accessible.name,
        "states": sorted(pyatspi.stateToString(s) for s in states.getStates()),
    }
    interfaces = pyatspi.listInterfaces(accessible)
    out["interfaces"] = sorted(interfaces)
    if "Component" in interfaces:
        extents = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        out["extents"] = [extents.x, extents.y, extents.width, extents.height]
    if "Text" in interfaces:
        text = accessible.queryText()
        out["text"] = text.getText(0, -1)
    if "Value" in interfaces:
        out["value"] = accessible.queryValue().currentValue
    if "Action" in interfaces:
        action = accessible.queryAction()
        out["actions"] = [action.getName(i) for i in range(action.nActions)]
    return out


def find_app(name):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == name:
            return app
    raise LookupError(f"no application {name!r}")


def find_node(app, path):
    node = app
    for index in path:
        node = node.getChildAtIndex(index)
        if node is None:
            raise LookupError(f"no node at {path}")
    return node


def walk(accessible, path, out):
    # What the program says now, not what libatspi kept from earlier answers and events.
    accessible.clearCache()
    out.append(describe(accessible, path))
    for index in range(accessible.childCount):
        child = accessible.getChildAtIndex(index)
        if child is not None:
            walk(child, path + [index], out)


class Client:
    def __init__(self):
        self.events = []
        self.lock = threading.Lock()

    def on_event(self, event):
        try:
            source = event.source
            entry = {"type": event.type, "detail1": event.detail1, "name": source.name,
                     "role": source.getRoleName(), "path": node_path(source)}
        except Exception as error:  # the source may be gone already
            entry = {"type": event.type, "detail1": event.detail1, "error": str(error)}
        with self.lock:
            self.events.append(entry)

    def answer(self, question):
        kind = question["do"]
        if kind == "apps":
            return {"apps": [app.name for app in pyatspi.Registry.getDesktop(0) if app is not None]}
        if kind == "tree":
            app = find_app(question["app"])
            nodes = []
            walk(app, [], nodes)
            return {"nodes": nodes}
        if kind == "act":
            node = find_node(find_app(question["app"]), question["path"])
            action = node.queryAction()
            names = [action.getName(i) for i in range(action.nActions)]
            return {"done": bool(action.doAction(names.index(question["action"])))}
        if kind == "set_text":
            node = find_node(find_app(question["app"]), question["path"])
            return {"done": bool(node.queryEditableText().setTextContents(question["text"]))}
        if kind == "listen":
            pyatspi.Registry.registerEventListener(self.on_event, *question["events"])
            return {}
        if kind == "events":
            with self.lock:
                events, self.events = self.events, []
            return {"events": events}
        raise ValueError(f"unknown question {kind!r}")

    def on_input(self, channel, condition):
        line = channel.readline()
        if not line:
            pyatspi.Registry.stop()
            return False
        try:
            reply = dict(self.answer(json.loads(line)), ok=True)
        except Exception as error:
            reply = {"ok": False, "error": f"{type(error).__name__}: {error}"}
        print(json.dumps(reply, ensure_ascii=False), flush=True)
        return True


def main():
    client = Client()
    # The default 0.8 s per call is shorter than a busy shared machine takes to answer.
    pyatspi.setTimeout(10000, 15000)
    pyatspi.Registry.getDesktop(0).childCount  # the registry answers, or this raises
    print(json.dumps({"ready": True}), flush=True)
    channel = GLib.IOChannel.unix_new(sys.stdin.fileno())
    GLib.io_add_watch(channel, GLib.PRIORITY_DEFAULT, GLib.IOCondition.IN | GLib.IOCondition.HUP, client.on_input)
    pyatspi.Registry.start()


if __name__ == "__main__":
    main()
