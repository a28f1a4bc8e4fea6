"""Processes as /proc shows them, for the tests that check what a session started and left
behind: children, descendants, command lines, whether one still runs, and the engines (vvp)."""
import os


def children(pid):
    """The process ids whose parent is pid."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            if int(fields[1]) == pid:
                found.append(int(entry))
        except (OSError, IndexError, ValueError):
            pass
    return found


def descendants(pid):
    result = []
    for child in children(pid):
        result.append(child)
        result.extend(descendants(child))
    return result


def command_line(pid):
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            return f.read().split(b"\0")
    except OSError:
        return []


def alive(pid):
    """Whether pid runs: neither gone nor a zombie."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            state = f.read().rsplit(")", 1)[1].split()[0]
        return state != "Z"
    except OSError:
        return False


def is_engine(pid):
    words = command_line(pid)
    return bool(words) and os.path.basename(words[0]) == b"vvp"


def engines(pid, deep=False):
    """The engine processes (vvp) among the children of pid, or all its descendants."""
    return [p for p in (descendants(pid) if deep else children(pid)) if is_engine(p)]
