#!/usr/bin/python3
"""Prints what the program with process id PID shows on screen, read through
the accessibility bus (AT-SPI), one item a line, tab-separated:

  window  <caption>                  a window shown, then what it holds:
  label   <text>
  button  <caption>
  text    <text>                     an edit box or a combo box's text
  focused <text>                     the same for the box that has the focus
  row     <n> <cell> <cell> ...      a list view's row n (from 0)

Display tests check what a window shows with it, as a user reads it; cell
texts come from the list's model, so they are exactly what is painted."""

import sys

import pyatspi

LISTS = ("table", "tree table", "tree")


def clean(text):
    return (text or "").replace("\t", " ").replace("\n", " ")


def text_of(node):
    try:
        return node.queryText().getText(0, -1)
    except NotImplementedError:
        return ""


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def add_text(node, out):
    text = clean(text_of(node))
    out.append("text\t" + text)
    if node.getState().contains(pyatspi.STATE_FOCUSED):
        out.append("focused\t" + text)


def dump(node, out):
    role = node.getRoleName()
    if role in LISTS:
        table = node.queryTable()
        for r in range(table.nRows):
            cells = [clean(table.getAccessibleAt(r, c).name) for c in range(table.nColumns)]
            out.append("\t".join(["row", str(r)] + cells))
        return
    if role == "combo box":
        # Its text box only: the items are in the list, shown or not.
        for child in node:
            if child.getRoleName() == "text":
                add_text(child, out)
        return
    if role == "label":
        out.append("label\t" + clean(node.name))
    elif node.description:
        # A drawing that says what it shows (a chart): read as a label.
        out.append("label\t" + clean(node.name) + " " + clean(node.description))
    elif role == "push button":
        out.append("button\t" + clean(node.name))
    elif role == "text":
        add_text(node, out)
    for child in node:
        if showing(child):
            dump(child, out)


def main():
    pid = int(sys.argv[1])
    out = []
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or app.get_process_id() != pid:
            continue
        for window in app:
            if window is None or not showing(window):
                continue
            out.append("window\t" + clean(window.name))
            for child in window:
                if showing(child):
                    dump(child, out)
    print("\n".join(out))


if __name__ == "__main__":
    try:
        main()
    except Exception as error:  # the program's tree changed while read: try again
        print("error\t" + clean(str(error)), file=sys.stderr)
        sys.exit(1)
