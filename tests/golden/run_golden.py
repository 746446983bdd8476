#!/usr/bin/env python3
"""Golden tests: runs the expectations written inside a Tirvane program through `tirvane`.

A program states its own expectations in line comments:

    // run: FUNCTION ARGUMENT      runs `tirvane run FILE FUNCTION ARGUMENT`
    // trace: FUNCTION ARGUMENT    runs `tirvane run --trace FILE FUNCTION ARGUMENT`
    // eval: ARGUMENT              runs `tirvane eval FILE ARGUMENT`
    // translate:                  runs `tirvane translate FILE`
    // expect: TEXT                one expected line of standard output (in order)
    // stderr: TEXT                one expected line of standard error (checked when given)
    // exit: N                     the expected exit code (default 0)

Each `run`/`trace`/`eval`/`translate` starts a new case; its `expect` lines follow it. An
expected line keeps its blanks after the one that follows the colon, trailing ones too
(trace lines such as " else " have them). Files are Windows-1251; the runner prints UTF-8.
"""
import subprocess
import sys


def parse_cases(path):
    cases = []
    with open(path, encoding="cp1251") as source:
        for raw in source:
            stripped = raw.rstrip("\r\n").lstrip()
            if not stripped.startswith("//"):
                continue
            body = stripped[2:].lstrip()
            key, sep, value = body.partition(":")
            if not sep:
                continue
            key = key.strip()
            value = value[1:] if value.startswith(" ") else value
            if key in ("run", "trace", "eval", "translate"):
                cases.append({"kind": key, "args": value.strip(), "expect": [], "stderr": None,
                              "exit": 0})
            elif key == "expect" and cases:
                cases[-1]["expect"].append(value)
            elif key == "stderr" and cases:
                cases[-1]["stderr"] = (cases[-1]["stderr"] or []) + [value]
            elif key == "exit" and cases:
                cases[-1]["exit"] = int(value)
    return cases


def command_for(runner, path, case):
    if case["kind"] == "translate":
        return [runner, "translate", path]
    if case["kind"] == "eval":
        return [runner, "eval", path, case["args"]]
    function, _, argument = case["args"].partition(" ")
    command = [runner, "run"] + (["--trace"] if case["kind"] == "trace" else []) + [path, function]
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
        err = done.stderr.decode("utf-8", errors="replace")
        wrong_err = case["stderr"] is not None and err.splitlines() != case["stderr"]
        if out != case["expect"] or done.returncode != case["exit"] or wrong_err:
            failures += 1
            print("FAIL:", " ".join(command))
            print("  expected exit", case["exit"], "and:", *case["expect"], sep="\n    ")
            if case["stderr"] is not None:
                print("  expected stderr:", *case["stderr"], sep="\n    ")
            print("  got exit", done.returncode, "and:", *out, sep="\n    ")
            if err:
                print("  stderr:", err)
    print(f"{path}: {len(cases) - failures}/{len(cases)} cases pass")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
