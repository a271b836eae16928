#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads the accessible tree of a running reading window through AT-SPI and checks what a
screen reader would say: every control the user reaches has a name in the interface language
(never the pause button's "||", never a mnemonic's mark "&"), the word count is read, and the
drawn links and labels are links and labels with their texts. Then it presses the web site's
link through its AT-SPI action, as a screen reader does, and waits until the page was handed
to xdg-open (the test's stand-in writes it to the file named by NARRELO_OPENED).

Usage: accessible_names.py PID tr|en
"""
import os
import sys
import time

import pyatspi

pid, language = int(sys.argv[1]), sys.argv[2]
expected = {
    "tr": ["Duraklat", "Okunacak metin", "Dinlenen cümleler", "Hız", "Oku", "0 Kelime", "Okuma Şekli"],
    "en": ["Pause", "Text to read", "Sentences heard", "Speed", "Read", "0 Words"],
}[language]


def application():
    deadline = time.time() + 30
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            try:
                if app is not None and app.get_process_id() == pid and app.childCount > 0:
                    return app
            except Exception:
                pass
        time.sleep(0.2)
    return None


def walk(node, found, depth=0):
    if node is None or depth > 40:
        return
    try:
        role, name = node.getRoleName(), node.name
        states = node.getState()
        showing = states.contains(pyatspi.STATE_SHOWING)
    except Exception:
        return
    actions = 0
    try:
        actions = node.queryAction().nActions
    except Exception:
        pass
    found.append((role, name, showing, actions))
    nodes.append(node)
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), found, depth + 1)


nodes = []


app = application()
if app is None:
    sys.exit("the window never appeared on the accessibility bus")
found = []
deadline = time.time() + 20
while time.time() < deadline:
    found, nodes = [], []
    walk(app, found)
    if all(any(name == want for _, name, _, _ in found) for want in expected):
        break
    time.sleep(0.3)

failures = []
for want in expected:
    if not any(name == want for _, name, _, _ in found):
        failures.append("no control is named %r" % want)
for role, name, showing, _ in found:
    if showing and role in ("push button", "toggle button", "text", "progress bar") and name in ("", "||"):
        failures.append("a %s is named %r" % (role, name))
links = [name for role, name, showing, _ in found if showing and role == "link"]
if len(links) < 3:
    failures.append("%d links shown, 3 or more expected" % len(links))
if any(not name for name in links):
    failures.append("a link without a name")
for role, name, showing, _ in found:
    if showing and "&" in name:
        failures.append("a %s is named %r: a mnemonic's mark" % (role, name))

# The web site's link, pressed as a screen reader presses it.
web = {"tr": "İnternet Sitesine Git", "en": "Visit Web Site"}[language]
link = next((n for n in nodes if n.getRoleName() == "link" and n.name == web), None)
if link is None:
    failures.append("no link named %r" % web)
else:
    try:
        action = link.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
    except NotImplementedError:
        action, names = None, []
    if "click" not in names:
        failures.append("the link %r has no click action (actions: %r)" % (web, names))
    else:
        action.doAction(names.index("click"))
        opened = os.environ["NARRELO_OPENED"]
        deadline = time.time() + 10
        while time.time() < deadline and not os.path.exists(opened):
            time.sleep(0.1)
        if not os.path.exists(opened):
            failures.append("the link's click action opened nothing")
if failures:
    for role, name, showing, actions in found:
        print("%-16s %-30r showing=%s actions=%d" % (role, name, showing, actions), file=sys.stderr)
    sys.exit("\n".join(failures))
print("ok: %d accessible objects" % len(found))
