"""Reads the NET entries of a SAIF file, and computes the expected activity of a bit from a VCD
variable read by vcdread."""
import re


def read(path):
    """{"/tb/dut/q[3]": {"T0": .., "T1": .., "TX": .., "TC": .., "IG": ..}} and the header."""
    text = open(path).read()
    tokens = re.findall(r'\(|\)|"[^"]*"|(?:\\.|[^\s()])+', text)
    nets, header, stack, i = {}, {}, [], 0
    depth_of_instances = []
    while i < len(tokens):
        t = tokens[i]
        if t == "(":
            word = tokens[i + 1]
            if word == "INSTANCE":
                depth_of_instances.append(tokens[i + 2].replace("\\", ""))
                stack.append("INSTANCE")
                i += 3
                continue
            if word in ("SAIFVERSION", "DIRECTION", "DESIGN", "DATE", "VENDOR", "PROGRAM_NAME",
                        "VERSION", "DIVIDER", "TIMESCALE", "DURATION"):
                j = tokens.index(")", i)
                header[word] = " ".join(tokens[i + 2:j])
                i = j + 1
                continue
            if stack and stack[-1] == "NET" and word not in ("T0", "T1", "TX", "TC", "IG"):
                name = word.replace("\\", "")
                fields = {}
                j = i + 2
                while tokens[j] == "(":
                    fields[tokens[j + 1]] = int(tokens[j + 2])
                    j += 4
                nets["/" + "/".join(depth_of_instances + [name])] = fields
                i = j + 1
                continue
            stack.append(word)
            i += 2
            continue
        if t == ")":
            if stack and stack.pop() == "INSTANCE":
                depth_of_instances.pop()
        i += 1
    return header, nets


def expected(var, bit, start, end):
    """T0, T1, TX and TC of one bit (0 = least significant) of a VCD variable over [start, end)."""
    def state(value):
        c = value[len(value) - 1 - bit] if value is not None else "x"
        return c if c in "01" else "x"
    totals = {"0": 0, "1": 0, "x": 0}
    current, since, tc = state(var.at(start)), start, 0
    for t, v in zip(var.times, var.values):
        if t <= start or t >= end:  # a change at the closing time may come after the close
            continue
        s = state(v)
        if s != current:
            totals[current] += t - since
            if current != "x" and s != "x":
                tc += 1
            current, since = s, t
    totals[current] += end - since
    return {"T0": totals["0"], "T1": totals["1"], "TX": totals["x"], "TC": tc}
