#!/usr/bin/env python3
"""Golden tests: runs the expectations written inside a Tirvane program through `tirvane`.

A program states its own expectations in line comments:

    // run: FUNCTION ARGUMENT      runs `tirvane run FILE FUNCTION ARGUMENT`
    // eval: ARGUMENT              runs `tirvane eval FILE ARGUMENT`
    // translate:                  runs `tirvane translate FILE`
    // expect: TEXT                one expected line of standard output (in order)
    // exit: N                     the expected exit code (default 0)

Each `run`/`eval`/`translate` starts a new case; its `expect` lines follow it. Files are
Windows-1251; the runner prints UTF-8.
"""
import subprocess
import sys


def parse_cases(path):
    cases = []
    with open(path, encoding="cp1251") as source:
        for raw in source:
            line = raw.rstrip("\r\n")
            stripped = line.strip()
            if not stripped.startswith("//"):
                continue
            body = stripped[2:].strip()
            key, sep, value = body.partition(":")
            if not sep:
                continue
            key = key.strip()
            value = value[1:] if value.startswith(" ") else value
            if key in ("run", "eval", "translate"):
                cases.append({"kind": key, "args": value.strip(), "expect": [], "exit": 0})
            elif key == "expect" and cases:
                cases[-1]["expect"].append(value)
            elif key == "exit" and cases:
                cases[-1]["exit"] = int(value)
    return cases


def command_for(runner, path, case):
    if case["kind"] == "translate":
        return [runner, "translate", path]
    if case["kind"] == "eval":
        return [runner, "eval", path, case["args"]]
    function, _, argument = case["args"].partition(" ")
    command = [runner, "run", path, function]
    if argument.strip():
        command.append(argument.strip())
    return command


def main():
    runner, path = sys.argv[1], sys.argv[2]
    cases = parse_cases(path)
    if not cases:
        print(f"{path}: no cases")
        return 1
    failures = 0
    for case in cases:
        command = command_for(runner, path, case)
        done = subprocess.run(command, capture_output=True, timeout=120)
        out = done.stdout.decode("utf-8", errors="replace").splitlines()
        if out != case["expect"] or done.returncode != case["exit"]:
            failures += 1
            print("FAIL:", " ".join(command))
            print("  expected exit", case["exit"], "and:", *case["expect"], sep="\n    ")
            print("  got exit", done.returncode, "and:", *out, sep="\n    ")
            err = done.stderr.decode("utf-8", errors="replace")
            if err:
                print("  stderr:", err)
    print(f"{path}: {len(cases) - failures}/{len(cases)} cases pass")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
