#!/usr/bin/python3
# A session as a screen reader drives it, through AT-SPI: starts the program (argv[1:]), finds the
# search box by its name, types a search into it, presses "Pesquisa", reads the count and hears
# it announced, opens the first result from the focused grid, and presses a link by its action.
# Prints what it did; exits 1 with the reason on the first step that does not hold.
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

BOX = "Pesquisar por Palavra Chave ou Código"
heard = []


def pump():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def fail(reason):
    print("FAIL: " + reason, flush=True)
    sys.exit(1)


def wait_for(find, what, seconds=40):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        pump()
        try:
            found = find()
        except Exception:  # an object may go away while it is read
            found = None
        if found:
            return found
        time.sleep(0.1)
    fail("not found: " + what)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def descendants(root, depth=0):
    if root is None or depth > 30:
        return
    yield root
    for i in range(root.childCount):
        yield from descendants(root.getChildAtIndex(i), depth + 1)


def find(root, role, name=None, prefix=None):
    for node in descendants(root):
        if node.getRole() != role or not showing(node):
            continue
        if name is not None and node.name != name:
            continue
        if prefix is not None and not node.name.startswith(prefix):
            continue
        return node
    return None


def press(node, action_name):
    actions = node.queryAction()
    for i in range(actions.nActions):
        if actions.getName(i) == action_name:
            return actions.doAction(i)
    fail("%s has no action %s" % (node.name, action_name))


def listen(event):
    try:
        heard.append((event.type, event.source.getRole(), event.source.name, event.detail1))
    except Exception:
        pass


desktop = pyatspi.Registry.getDesktop(0)  # starts the accessibility bus before the program
for kind in ("object:property-change:accessible-name", "object:state-changed:focused"):
    pyatspi.Registry.registerEventListener(listen, kind)
program = subprocess.Popen(sys.argv[1:])
try:
    app = wait_for(lambda: next((a for a in desktop if a is not None and a.get_process_id() == program.pid), None),
                   "the program on the accessibility bus")
    box = wait_for(lambda: find(app, pyatspi.ROLE_TEXT, BOX) or find(app, pyatspi.ROLE_ENTRY, BOX), "the search box")
    print("search box:", box.name)
    if find(app, pyatspi.ROLE_LABEL, "XXX") or find(app, pyatspi.ROLE_LABEL, "Nreg"):
        fail("a hidden page's placeholder is in the tree")

    box.queryEditableText().setTextContents("cobre")
    wait_for(lambda: box.queryText().getText(0, -1) == "cobre", "the typed text")
    press(wait_for(lambda: find(app, pyatspi.ROLE_PUSH_BUTTON, "Pesquisa"), "the button Pesquisa"), "Press")

    count = wait_for(lambda: find(app, pyatspi.ROLE_LABEL, prefix="Registros Encontrados: "), "the count")
    found = count.name.split(": ", 1)[1]
    print("count:", count.name)
    if not found.isdigit() or int(found) == 0:
        fail("no results counted: " + count.name)
    wait_for(lambda: any(t.startswith("object:property-change:accessible-name") and n == count.name
                         for t, _, n, _ in heard), "the count's announcement")
    grid = wait_for(lambda: find(app, pyatspi.ROLE_TABLE, "Atividades encontradas"), "the results grid")
    wait_for(lambda: any(t == "object:state-changed:focused" and d == 1 and
                         (n == grid.name or r == pyatspi.ROLE_TABLE_CELL) for t, r, n, d in heard),
             "the focus announced on the results")
    if find(app, pyatspi.ROLE_TEXT, BOX):
        fail("the home page's search box is still in the tree on the results page")
    cells = grid.queryTable()
    first = cells.getAccessibleAt(0, 0).name + " " + cells.getAccessibleAt(0, 1).name
    print("first result:", first, "| columns:", cells.getColumnDescription(0), "/", cells.getColumnDescription(1))

    # The result opens as Enter on the focused grid opens it.
    if not grid.getState().contains(pyatspi.STATE_FOCUSED):
        grid.queryComponent().grabFocus()
    wait_for(lambda: grid.getState().contains(pyatspi.STATE_FOCUSED), "the focus on the results grid")
    pyatspi.Registry.generateKeyboardEvent(0xff0d, None, pyatspi.KEY_SYM)
    notes = wait_for(lambda: find(app, pyatspi.ROLE_LINK, "Notas Explicativas"), "the level page of the result")
    print("opened:", notes.name)

    press(wait_for(lambda: find(app, pyatspi.ROLE_LINK, "Nova Pesquisa..."), "the link Nova Pesquisa..."), "Press")
    wait_for(lambda: find(app, pyatspi.ROLE_TEXT, BOX), "the search box again after the link")
    print("home again")
finally:
    program.terminate()
    try:
        program.wait(10)
    except subprocess.TimeoutExpired:
        program.kill()
print("PASS")
