"""Process and file plumbing shared by the script tests: writing a small input file, and the
/proc scans that find a session's child processes (the engine, its restart child, a viewer) and
tell whether one still runs."""
import os


def write_file(folder, name, text):
    """Writes `text` to folder/name; the path."""
    path = os.path.join(folder, name)
    with open(path, "w") as f:
        f.write(text)
    return path


def stat(pid):
    """(name, state, parent pid) of a process from /proc/<pid>/stat, or None once it is gone."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            text = f.read()
    except OSError:
        return None
    # The name is in parentheses and may itself hold blanks and parentheses.
    name = text[text.index("(") + 1:text.rindex(")")]
    rest = text[text.rindex(")") + 2:].split()
    try:
        return name, rest[0], int(rest[1])
    except (IndexError, ValueError):
        return None


def children(pid, name=None):
    """The processes whose parent is `pid` (only those whose process name starts with `name`,
    when given)."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        info = stat(int(entry))
        if info and info[2] == pid and (name is None or info[0].startswith(name)):
            found.append(int(entry))
    return found


def descendants(pid):
    result = []
    for child in children(pid):
        result.append(child)
        result.extend(descendants(child))
    return result


def command_line(pid):
    """The words of a process's command line (bytes); empty once it is gone."""
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            return f.read().split(b"\0")
    except OSError:
        return []


def alive(pid):
    """Whether the process exists and is not a zombie."""
    info = stat(pid)
    return info is not None and info[1] != "Z"
