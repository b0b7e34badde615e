#!/usr/bin/env python3
"""Lists the functions longer than a limit, from the line of their name to their closing brace.

usage: scripts/long_functions.py [--limit 80] FOLDER...

A function is a brace block met outside any function whose head ends in ")" (with what may
follow a parameter list: const, override, noexcept, a trailing return type, an initialiser
list); lambdas and blocks inside a function count as part of it. Comments and literals are
blanked first, so braces inside them do not count.
"""
import argparse
import pathlib
import re
import sys

BLANK = re.compile(r'//[^\n]*|/\*.*?\*/|R"(\w*)\(.*?\)\1"|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'',
                   re.S)
NOT_FUNCTIONS = re.compile(r'\b(if|for|while|switch|catch|namespace|class|struct|enum|union)\b')


def blanked(text):
    return BLANK.sub(lambda m: re.sub(r'[^\n]', ' ', m.group(0)), text)


def is_function_head(head):
    head = head.strip()
    if not head or NOT_FUNCTIONS.search(head.split('(')[0]):
        return False
    if head.endswith('=') or head.endswith(','):
        return False
    # An initialiser list: "Name(...) : a_(x), b_(y)" ends in ")" too.
    tail = re.sub(r'\b(const|override|final|noexcept|mutable)\b|->\s*[\w:<>,\s*&]+$', '', head).strip()
    return tail.endswith(')') and '(' in head


def functions(text):
    clean = blanked(text)
    depth = 0
    start = None  # (offset of the head, depth) of the function being read
    head_from = 0
    for at, c in enumerate(clean):
        if c == '{':
            if start is None and is_function_head(clean[head_from:at]):
                start = (head_from, depth)
            depth += 1
            if start is None:
                head_from = at + 1
        elif c == '}':
            depth -= 1
            if start is not None and depth == start[1]:
                first = clean.count('\n', 0, start[0] + len(clean[start[0]:at]) - len(clean[start[0]:at].lstrip()))
                yield first + 1, clean.count('\n', 0, at) + 1, clean[start[0]:at].strip().split('(')[0]
                start = None
            if start is None:
                head_from = at + 1
        elif c == ';' and start is None:
            head_from = at + 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--limit', type=int, default=80)
    parser.add_argument('folders', nargs='+')
    args = parser.parse_args()
    found = 0
    for folder in args.folders:
        for path in sorted(pathlib.Path(folder).rglob('*')):
            if path.suffix not in ('.cpp', '.h'):
                continue
            for first, last, name in functions(path.read_text(errors='replace')):
                if last - first + 1 > args.limit:
                    found += 1
                    print(f'{path}:{first}: {name.split()[-1] if name.split() else "?"} '
                          f'{last - first + 1} lines')
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main())
