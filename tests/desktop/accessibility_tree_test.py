#!/usr/bin/python3
"""Every window of the program as a screen reader is handed it: the accessibility tree read
through AT-SPI. Starts its own X server (Xvfb), D-Bus session and accessibility bus, then the
harness that shows every window at once, and checks that

- every focusable control shown has a name that is not only its value, or a label (the
  labelled-by relation) with text;
- the custom controls have their roles and names: the receipt total and the wallet balance
  with their figures, the tab strip and its tabs, the picture buttons, the graph;
- the data sheet's table counts the rows shown (not the hidden headings), has the item names
  as row headers with their open or closed state, and cells without padding or marks.

Usage: accessibility_tree_test.py HARNESS MASTERS_DIR. Exits 77 (skipped) with the reason when
the X server or the buses cannot start.
"""

import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77


def skip(reason):
    print("SKIPPED: " + reason)
    sys.exit(SKIP)


class Processes:
    """Children started in their own process groups, ended together."""

    def __init__(self):
        self.children = []

    def start(self, argv, env, log, **kwargs):
        child = subprocess.Popen(argv, env=env, stdout=kwargs.pop("stdout", log), stderr=log,
                                 start_new_session=True, **kwargs)
        self.children.append(child)
        return child

    def stop(self):
        for child in reversed(self.children):
            if child.poll() is None:
                os.killpg(child.pid, signal.SIGTERM)
                try:
                    child.wait(3)
                except subprocess.TimeoutExpired:
                    os.killpg(child.pid, signal.SIGKILL)
                    child.wait()


def read_line(pipe, seconds):
    """One line from a child's pipe, or "" when none came in time."""
    ready, _, _ = select.select([pipe], [], [], seconds)
    return pipe.readline().decode().strip() if ready else ""


def start_desktop(processes, scratch, env):
    for tool in ("Xvfb", "dbus-daemon"):
        if shutil.which(tool) is None:
            skip(tool + " is not installed (scripts/install-deps.sh installs it)")
    launcher = "/usr/libexec/at-spi-bus-launcher"
    if not os.path.exists(launcher):
        skip("at-spi2-core is not installed (scripts/install-deps.sh installs it)")
    log = open(os.path.join(scratch, "desktop.log"), "wb")
    xvfb = processes.start(["Xvfb", "-displayfd", "1", "-screen", "0", "1600x1200x24",
                            "-nolisten", "tcp"], env, log, stdout=subprocess.PIPE)
    display = read_line(xvfb.stdout, 10)
    if not display:
        skip("Xvfb could not start an X server")
    env["DISPLAY"] = ":" + display
    bus = processes.start(["dbus-daemon", "--session", "--nofork", "--print-address=1"], env,
                          log, stdout=subprocess.PIPE)
    address = read_line(bus.stdout, 10)
    if not address:
        skip("the D-Bus session bus could not start")
    env["DBUS_SESSION_BUS_ADDRESS"] = address
    processes.start([launcher, "--launch-immediately"], env, log)
    # The launcher answers on the session bus once the accessibility bus runs.
    for _ in range(100):
        answer = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                                 "/org/a11y/bus", "org.a11y.Bus.GetAddress"], env=env,
                                capture_output=True, text=True)
        if answer.returncode == 0 and "unix:" in answer.stdout:
            return
        time.sleep(0.1)
    skip("the accessibility bus (at-spi-bus-launcher) could not start")


def walk(accessible, depth=0):
    yield accessible
    if depth > 40:
        return
    for i in range(accessible.childCount):
        child = accessible.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def main():
    harness, masters = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    scratch = tempfile.mkdtemp(prefix="kakeibo-a11y-")
    processes = Processes()
    failures = []
    try:
        env = dict(os.environ, HOME=scratch, XDG_RUNTIME_DIR=scratch,
                   QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   QT_ACCESSIBILITY="1", NO_AT_BRIDGE="0")
        env.pop("AT_SPI_BUS_ADDRESS", None)
        start_desktop(processes, scratch, env)
        for name in ("kamoku.dat", "hojyo.dat"):
            shutil.copy(os.path.join(masters, name), scratch)
        log = open(os.path.join(scratch, "harness.log"), "wb")
        harness_process = processes.start([harness, scratch], env, log, stdout=subprocess.PIPE,
                                          cwd=scratch)
        rows = None
        for _ in range(2):
            line = read_line(harness_process.stdout, 30)
            if line.startswith("rows "):
                rows = int(line.split()[1])
        if rows is None:
            failures.append("the harness did not start: " +
                            open(os.path.join(scratch, "harness.log")).read()[-2000:])
            return failures

        # pyatspi finds the buses through the environment it is imported with.
        os.environ.update(env)
        try:
            import pyatspi
        except ImportError:
            skip("python3-pyatspi is not installed (scripts/install-deps.sh installs it)")

        application = None
        for _ in range(100):
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                candidate = desktop.getChildAtIndex(i)
                if candidate is not None and candidate.name == "a11y_harness":
                    application = candidate
            if application is not None and application.childCount >= 8:
                break
            time.sleep(0.2)
        if application is None:
            failures.append("the harness never appeared on the accessibility bus")
            return failures

        objects = list(walk(application))
        failures += check_names(pyatspi, objects)
        failures += check_custom_controls(pyatspi, objects)
        failures += check_data_sheet(pyatspi, objects, rows)
        print("%d accessible objects, %d focusable and shown" % (
            len(objects), len([o for o in objects if focusable_shown(pyatspi, o)])))
        return failures
    finally:
        processes.stop()
        shutil.rmtree(scratch, ignore_errors=True)


def focusable_shown(pyatspi, accessible):
    states = accessible.getState()
    return states.contains(pyatspi.STATE_FOCUSABLE) and states.contains(pyatspi.STATE_SHOWING)


def labels_of(pyatspi, accessible):
    texts = []
    for relation in accessible.getRelationSet():
        if relation.getRelationType() != pyatspi.RELATION_LABELLED_BY:
            continue
        for i in range(relation.getNTargets()):
            target = relation.getTarget(i)
            if target is not None and target.name.strip():
                texts.append(target.name.strip())
    return texts


def value_of(pyatspi, accessible):
    """What the control holds: a field's text, a list's current entry."""
    if accessible.getRole() == pyatspi.ROLE_COMBO_BOX:
        return accessible.name
    try:
        text = accessible.queryText()
        return text.getText(0, -1)
    except NotImplementedError:
        return None


def describe(pyatspi, accessible):
    path = []
    node = accessible
    while node is not None and node.getRole() != pyatspi.ROLE_APPLICATION:
        path.append("%s「%s」" % (node.getRoleName(), node.name))
        node = node.parent
    return " < ".join(path[:3])


CELL_ROLES = ("ROLE_TABLE_CELL", "ROLE_COLUMN_HEADER", "ROLE_ROW_HEADER",
              "ROLE_TABLE_COLUMN_HEADER", "ROLE_TABLE_ROW_HEADER", "ROLE_LIST_ITEM",
              "ROLE_MENU_ITEM", "ROLE_PAGE_TAB")


def check_names(pyatspi, objects):
    failures = []
    cell_roles = {getattr(pyatspi, name) for name in CELL_ROLES}
    for accessible in objects:
        if not focusable_shown(pyatspi, accessible) or accessible.getRole() in cell_roles:
            continue
        name = accessible.name.strip()
        value = value_of(pyatspi, accessible)
        named = bool(name) and (value is None or name != value.strip())
        if not named and not labels_of(pyatspi, accessible):
            failures.append("no name of its own and no label: " + describe(pyatspi, accessible))
    return failures


def find(pyatspi, objects, role, starts):
    return [o for o in objects if o.getRole() == role and o.name.startswith(starts)]


def check_custom_controls(pyatspi, objects):
    failures = []
    wanted = [
        (pyatspi.ROLE_LABEL, "レシート合計 1,820"),
        (pyatspi.ROLE_LABEL, "お財布残金 "),
        (pyatspi.ROLE_PAGE_TAB_LIST, "入力の種類"),
        (pyatspi.ROLE_PUSH_BUTTON, "記入"),
        (pyatspi.ROLE_PUSH_BUTTON, "閉る"),
        (pyatspi.ROLE_PUSH_BUTTON, "レシート合計を0円にします"),
        (pyatspi.ROLE_PUSH_BUTTON, "閉じる"),
        (pyatspi.ROLE_PUSH_BUTTON, "最大化"),
        (pyatspi.ROLE_PUSH_BUTTON, "読み込み"),
    ]
    for role, name in wanted:
        if not find(pyatspi, objects, role, name):
            failures.append("no %s named 「%s…」" % (pyatspi.Role(role).name, name))
    strips = find(pyatspi, objects, pyatspi.ROLE_PAGE_TAB_LIST, "入力の種類")
    if strips:
        strip = strips[0]
        tabs = [strip.getChildAtIndex(i) for i in range(strip.childCount)]
        names = [t.name for t in tabs]
        if names != ["費用", "移動", "収入", "予算"]:
            failures.append("the tab strip's tabs are %s" % names)
        selected = [t.name for t in tabs if t.getState().contains(pyatspi.STATE_SELECTED)]
        if selected != ["費用"]:
            failures.append("selected tabs: %s" % selected)
        if not strip.getState().contains(pyatspi.STATE_FOCUSABLE):
            failures.append("the tab strip takes no focus")
    graphs = [o for o in objects if o.name == "今月の支出" and o.description]
    if not any("円" in o.description for o in graphs):
        failures.append("no graph named 今月の支出 with its figures as its description")
    return failures


def check_data_sheet(pyatspi, objects, rows):
    failures = []
    tables = find(pyatspi, objects, pyatspi.ROLE_TABLE, "今月の支出")
    if len(tables) != 1:
        return ["%d tables named 今月の支出" % len(tables)]
    table = tables[0].queryTable()
    if table.nRows != rows - 1:
        failures.append("the sheet's table counts %d rows; the grid shows %d" % (
            table.nRows, rows - 1))
    expanded = collapsed = 0
    for r in range(table.nRows):
        header = table.getRowHeader(r)
        first = table.getAccessibleAt(r, 0)
        if first is None:
            failures.append("row %d has no first cell" % r)
            continue
        for c in range(table.nColumns):
            cell = table.getAccessibleAt(r, c)
            name = cell.name if cell is not None else ""
            if name != name.strip() or "\u3000" in name or "  " in name:
                failures.append("cell %d,%d is read as 「%s」" % (r, c, name))
        states = first.getState()
        if first.name and states.contains(pyatspi.STATE_EXPANDABLE):
            if header is None or header.name != first.name:
                failures.append("item row %d 「%s」 has no row header" % (r, first.name))
            if first.name[0] in "+-":
                failures.append("item row %d is read with its mark: 「%s」" % (r, first.name))
            if states.contains(pyatspi.STATE_EXPANDED):
                expanded += 1
            else:
                collapsed += 1
    if expanded != 1 or collapsed < 5:
        failures.append("%d item rows open, %d closed; one open and the others closed expected"
                        % (expanded, collapsed))
    headings = [table.getColumnHeader(c) for c in range(table.nColumns)]
    if any(h is None or not h.name for h in headings):
        failures.append("columns without a heading: %s" % [h.name if h else None
                                                            for h in headings])
    return failures


if __name__ == "__main__":
    found = main()
    for failure in found:
        print("FAILED: " + failure)
    sys.exit(1 if found else 0)
