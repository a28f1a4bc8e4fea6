"""A small, independent VCD reader for the end-to-end tests: the variables of a file, by their
full hierarchical name, and each one's value after every time step."""
import bisect


class Var:
    def __init__(self, kind, width, path):
        self.kind, self.width, self.path = kind, width, path
        self.times, self.values = [], []

    def set(self, time, value):
        if self.times and self.times[-1] == time:
            self.values[-1] = value
        else:
            self.times.append(time)
            self.values.append(value)

    def at(self, time):
        """The settled value at a time (None before the first value)."""
        i = bisect.bisect_right(self.times, time)
        return self.values[i - 1] if i else None


def extend(bits, width):
    """Restores a shortened vector value by the VCD extension rule."""
    if len(bits) >= width:
        return bits[-width:]
    fill = bits[0] if bits[0] in "xz" else "0"
    return fill * (width - len(bits)) + bits


def read(path):
    """Returns (header dict, vars by full path, section list of (keyword, time))."""
    with open(path) as f:
        tokens = f.read().split()
    header, byCode, scopes, sections = {}, {}, [], []
    variables = {}
    i, time, section = 0, 0, None
    while i < len(tokens):
        t = tokens[i]
        if t in ("$date", "$version", "$timescale", "$comment"):
            j = tokens.index("$end", i)
            header.setdefault(t[1:], []).append(" ".join(tokens[i + 1:j]))
            i = j + 1
        elif t == "$scope":
            scopes.append(tokens[i + 2])
            i += 4
        elif t == "$upscope":
            scopes.pop()
            i += 2
        elif t == "$var":
            kind, width, code, name = tokens[i + 1], int(tokens[i + 2]), tokens[i + 3], tokens[i + 4]
            j = tokens.index("$end", i)
            path = "/" + "/".join(scopes + [name])
            var = byCode.get(code) or Var(kind, width, path)
            byCode[code] = var
            variables[path] = var
            i = j + 1
        elif t == "$enddefinitions":
            i += 2
        elif t in ("$dumpvars", "$dumpon", "$dumpoff", "$dumpall"):
            section = t
            sections.append((t, time))
            i += 1
        elif t == "$end":
            section = None
            i += 1
        elif t[0] == "#":
            time = int(t[1:])
            i += 1
        elif t[0] in "bB":
            var = byCode[tokens[i + 1]]
            var.set(time, extend(t[1:].lower(), var.width))
            i += 2
        elif t[0] in "rR":
            byCode[tokens[i + 1]].set(time, float(t[1:]))
            i += 2
        else:
            byCode[t[1:]].set(time, t[0].lower())
            i += 1
    return header, variables, sections
