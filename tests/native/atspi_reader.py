"""A screen reader's view of the program through pyatspi (Debian's python3):
finds the application "Zintra" on the accessibility bus, prints its main
window's tree, moves the focus to a button while listening for focus events,
and does the default action of one control. Prints one JSON object.

  /usr/bin/python3 atspi_reader.py FOCUS_ID ACTION_ID
"""

import json
import sys
import time

import pyatspi
from gi.repository import GLib


def application(timeout=20):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "Zintra":
                return app
        time.sleep(0.2)
    return None


def describe(node):
    states = node.getState()
    extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return {
        "id": node.accessibleId,
        "role": node.getRoleName(),
        "name": node.name,
        "extents": [extents.x, extents.y, extents.width, extents.height],
        "checked": states.contains(pyatspi.STATE_CHECKED),
        "showing": states.contains(pyatspi.STATE_SHOWING),
        "children": [describe(child) for child in node],
    }


def find(node, wanted):
    if node.accessibleId == wanted:
        return node
    for child in node:
        found = find(child, wanted)
        if found is not None:
            return found
    return None


def focus_events(window, focus_id):
    """Focused-state events heard while the focus moves to `focus_id`."""
    heard = []
    loop = GLib.MainLoop()

    def on_event(event):
        heard.append({"id": event.source.accessibleId, "name": event.source.name, "on": event.detail1})
        if event.source.accessibleId == focus_id and event.detail1 == 1:
            loop.quit()

    pyatspi.Registry.registerEventListener(on_event, "object:state-changed:focused")

    def grab():
        # The program hears of the new listener from the registry first.
        find(window, focus_id).queryComponent().grabFocus()
        return False

    GLib.timeout_add(1000, grab)
    GLib.timeout_add(15000, loop.quit)
    loop.run()
    pyatspi.Registry.deregisterEventListener(on_event, "object:state-changed:focused")
    return heard


def main():
    focus_id, action_id = sys.argv[1], sys.argv[2]
    app = application()
    if app is None:
        print(json.dumps({"applications": [a.name for a in pyatspi.Registry.getDesktop(0) if a is not None]}))
        return
    window = app[0]
    result = {"application": app.name, "role": app.getRoleName(), "windows": app.childCount,
              "tree": describe(window), "focus": focus_events(window, focus_id)}
    action = find(window, action_id).queryAction()
    result["action"] = {"name": action.getName(0), "description": action.getDescription(0),
                        "done": action.doAction(0)}
    time.sleep(1)
    result["after"] = describe(find(window, action_id))
    print(json.dumps(result, ensure_ascii=False))


if __name__ == "__main__":
    main()
