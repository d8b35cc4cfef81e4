"""What a screen reader sees of a program, through AT-SPI: run with the system's Python, which has
pyatspi (python3-pyatspi), and the program's session bus in the environment.

    screen_reader.py PROGRAM                prints the program's tree as JSON, or null
    screen_reader.py PROGRAM ROLE NAME ACTION  does ACTION on the object ROLE named NAME
"""

import json
import sys

import pyatspi


def node(accessible):
    try:
        action = accessible.queryAction()
        actions = [action.getName(i) for i in range(action.nActions)]
    except NotImplementedError:
        actions = []
    try:
        text = accessible.queryText().getText(0, -1)
    except NotImplementedError:
        text = None
    # Each child as its parent lists it, and where the child says it stands, and in what.
    children = [dict(node(c), index=c.getIndexInParent(), parent_is_its_own=c.parent == accessible)
                for c in accessible if c is not None]
    return {"role": accessible.getRoleName(), "name": accessible.name, "actions": actions,
            "text": text, "focused": accessible.getState().contains(pyatspi.STATE_FOCUSED),
            "children": children}


def main(program, *act):
    apps = [a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == program]
    if not apps:
        print("null")
        return
    if act:
        role, name, action = act
        found = pyatspi.findDescendant(apps[0], lambda a: a is not None and (
            a.getRoleName(), a.name) == (role, name))
        actions = found.queryAction()
        index = [actions.getName(i) for i in range(actions.nActions)].index(action)
        print(json.dumps(actions.doAction(index)))
        return
    print(json.dumps(node(apps[0])))


main(*sys.argv[1:])
