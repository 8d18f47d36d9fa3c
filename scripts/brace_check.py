#!/usr/bin/env python3
"""Finds every if/else/for/while/do body without braces in the product code
(every C++ file outside tests/); prints one line per body.

Comments, string and character literals and preprocessor lines are blanked
first, so that a keyword inside them counts for nothing; line numbers stay.
"""

import os
import re
import subprocess
import sys

WORD = re.compile(r"[A-Za-z_][A-Za-z_0-9]*")
KEYWORDS = {"if", "else", "for", "while", "do"}
RAW_STRING = re.compile(r'R"([^ ()\\\t\n]{0,16})\(')


def blank(text, start, end):
    """text[start:end] as spaces, its line ends kept."""
    return re.sub(r"[^\n]", " ", text[start:end])


def strip(text):
    """The code with comments, literals and preprocessor lines blanked."""
    out = []
    i = 0
    n = len(text)
    line_start = True  # only blanks since the last line end: a '#' opens a directive
    while i < n:
        c = text[i]
        if c == "\n":
            out.append(c)
            i += 1
            line_start = True
            continue
        if c in " \t\r\f\v":
            out.append(c)
            i += 1
            continue
        if line_start and c == "#":
            end = i
            while end < n:  # a directive goes on past every line that ends in a backslash
                newline = text.find("\n", end)
                if newline < 0:
                    end = n
                    break
                if text[end:newline].rstrip("\r").endswith("\\"):
                    end = newline + 1
                    continue
                end = newline
                break
            out.append(blank(text, i, end))
            i = end
            continue
        line_start = False
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            out.append(blank(text, i, end))
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(blank(text, i, end))
            i = end
        elif c == "R" and (raw := RAW_STRING.match(text, i)):
            close = ")" + raw.group(1) + '"'
            end = text.find(close, raw.end())
            end = n if end < 0 else end + len(close)
            out.append(blank(text, i, end))
            i = end
        elif c == '"' or (c == "'" and not digit_separator(text, i)):
            end = i + 1
            while end < n and text[end] != c and text[end] != "\n":
                end += 2 if text[end] == "\\" else 1
            end = min(end + 1, n)
            out.append(blank(text, i, end))
            i = end
        else:
            out.append(c)
            i += 1
    return "".join(out)


def digit_separator(text, i):
    """Whether the quote at i separates digits (1'000) rather than opening u8'x' or 'x'."""
    start = i
    while start > 0 and (text[start - 1].isalnum() or text[start - 1] in "_'."):
        start -= 1
    return start < i and text[start].isdigit()


def next_code(code, i):
    """The index of the first non-blank character at or after i (len(code) at the end)."""
    while i < len(code) and code[i].isspace():
        i += 1
    return i


def previous_code(code, i):
    """The index of the last non-blank character before i (-1 at the start)."""
    i -= 1
    while i >= 0 and code[i].isspace():
        i -= 1
    return i


def closing_parenthesis(code, i):
    """The index just past the parenthesis that closes the one at i, or None."""
    depth = 0
    for j in range(i, len(code)):
        if code[j] == "(":
            depth += 1
        elif code[j] == ")":
            depth -= 1
            if depth == 0:
                return j + 1
    return None


def offences(code):
    """(offset, keyword) of each body without braces."""
    found = []
    for match in WORD.finditer(code):
        keyword = match.group()
        if keyword not in KEYWORDS:
            continue
        after = next_code(code, match.end())
        if keyword == "else":
            if code.startswith("{", after) or WORD.match(code, after) and WORD.match(code, after).group() == "if":
                continue
        elif keyword == "do":
            if code.startswith("{", after):
                continue
        else:
            if keyword == "if":
                word = WORD.match(code, after)
                if word and word.group() == "constexpr":
                    after = next_code(code, word.end())
            if not code.startswith("(", after):
                continue  # not a statement (a name such as is_for, or broken code)
            close = closing_parenthesis(code, after)
            if close is None:
                continue
            body = next_code(code, close)
            if code.startswith("{", body):
                continue
            # The tail of do { ... } while (condition);
            if keyword == "while" and code.startswith(";", body) and code[previous_code(code, match.start())] == "}":
                continue
        found.append((match.start(), keyword))
    return found


def main():
    os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    files = subprocess.run(["git", "ls-files", "*.cpp", "*.h", "*.cpp.in"], check=True, capture_output=True,
                           text=True).stdout.split()
    files = [f for f in files if not f.startswith("tests/") and os.path.exists(f)]
    total = 0
    for path in files:
        with open(path, encoding="utf-8", errors="replace") as source:
            text = source.read()
        code = strip(text)
        for offset, keyword in offences(code):
            total += 1
            line = code.count("\n", 0, offset) + 1
            print(f"brace-check: {path}:{line}: {keyword} without braces", file=sys.stderr)
    if total:
        print(f"brace-check: {total} bodies without braces in {len(files)} files", file=sys.stderr)
        return 1
    print(f"brace-check: every body in {len(files)} files has braces")
    return 0


if __name__ == "__main__":
    sys.exit(main())
